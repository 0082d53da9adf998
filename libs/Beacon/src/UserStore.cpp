#include "Beacon/UserStore.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QSettings>
#include <QStandardPaths>
#include <QStringEncoder>

namespace UserStore {

QString suiteName(const QString& appID)
{
    return QStringLiteral("app.beacon.client.") + sha256Hex(appID).left(12);
}

QString filePath(const QString& suite)
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const QString organization = QCoreApplication::organizationName();
    if (!organization.isEmpty())
        folder += QLatin1Char('/') + organization;
    return folder + QLatin1Char('/') + suite + QStringLiteral(".conf");
}

std::unique_ptr<QSettings> open(const QString& suite)
{
    if (suite.isEmpty())
        return nullptr;
    return std::make_unique<QSettings>(filePath(suite), QSettings::IniFormat);
}

QString sha256Hex(const QString& text)
{
    QStringEncoder encoder(QStringEncoder::Utf8, QStringConverter::Flag::Stateless);
    const QByteArray utf8 = encoder.encode(text);
    if (encoder.hasError())
        return {};
    return QString::fromLatin1(QCryptographicHash::hash(utf8, QCryptographicHash::Sha256).toHex());
}

} // namespace UserStore

#include "preferences/AppVersion.h"

namespace {

const QString shortVersionKey = QStringLiteral("CFBundleShortVersionString");
const QString buildKey = QStringLiteral("CFBundleVersion");

// Only a real text counts: a number or a list under the key is as good as missing.
QString textValue(const QVariantMap& info, const QString& key, const QString& fallback)
{
    const QVariant value = info.value(key);
    return value.typeId() == QMetaType::QString ? value.toString() : fallback;
}

} // namespace

QVariantMap mainBundleInfo()
{
    return {{shortVersionKey, QStringLiteral(OVELIN_VERSION_STRING)},
            {buildKey, QStringLiteral(OVELIN_BUILD_STRING)}};
}

QString versionText(const QVariantMap& bundleInfo)
{
    return QStringLiteral("Versão ") + textValue(bundleInfo, shortVersionKey, QStringLiteral("\u2013")) +
           QStringLiteral(" (") + textValue(bundleInfo, buildKey, QString()) + QStringLiteral(")");
}

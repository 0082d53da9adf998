#include "preferences/UpdateFeed.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QRegularExpression>

namespace {

std::optional<QList<qulonglong>> versionParts(const QString& text)
{
    static const QRegularExpression dottedNumbers(QStringLiteral("^\\d{1,9}(\\.\\d{1,9}){0,5}$"));
    if (!dottedNumbers.match(text).hasMatch())
        return std::nullopt;
    QList<qulonglong> parts;
    for (const QString& part : text.split(u'.'))
        parts.append(part.toULongLong());
    return parts;
}

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

} // namespace

std::optional<UpdateFeed> UpdateFeed::parse(const QByteArray& document, QString* error)
{
    QJsonParseError parseError;
    const QJsonDocument json = QJsonDocument::fromJson(document, &parseError);
    if (parseError.error != QJsonParseError::NoError || !json.isObject()) {
        setError(error, QStringLiteral("the update feed is not a JSON object"));
        return std::nullopt;
    }
    const QJsonObject object = json.object();
    UpdateFeed feed;
    feed.version = object.value(QLatin1String("version")).toString();
    if (!versionParts(feed.version)) {
        setError(error, QStringLiteral("the update feed names no valid version"));
        return std::nullopt;
    }
    const QJsonValue build = object.value(QLatin1String("build"));
    if (build.isString())
        feed.build = build.toString();
    else if (build.isDouble() && build.toDouble() >= 0)
        feed.build = QString::number(qulonglong(build.toDouble()));
    const QUrl url(object.value(QLatin1String("url")).toString(), QUrl::StrictMode);
    if (url.isValid() && !url.host().isEmpty() &&
        (url.scheme() == QLatin1String("https") || url.scheme() == QLatin1String("http")))
        feed.downloadUrl = url;
    return feed;
}

std::optional<int> compareVersions(const QString& left, const QString& right)
{
    const auto a = versionParts(left);
    const auto b = versionParts(right);
    if (!a || !b)
        return std::nullopt;
    for (qsizetype i = 0; i < std::max(a->size(), b->size()); ++i) {
        const qulonglong x = a->value(i, 0);
        const qulonglong y = b->value(i, 0);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return 0;
}

bool isNewerThanRunning(const UpdateFeed& feed, const QString& runningVersion, const QString& runningBuild)
{
    const std::optional<int> order = compareVersions(feed.version, runningVersion);
    if (!order)
        return false;
    if (*order != 0)
        return *order > 0;
    bool feedIsNumber = false, runningIsNumber = false;
    const qulonglong feedBuild = feed.build.toULongLong(&feedIsNumber);
    const qulonglong build = runningBuild.toULongLong(&runningIsNumber);
    return feedIsNumber && runningIsNumber && feedBuild > build;
}

#pragma once

#include <optional>

#include <QByteArray>
#include <QString>
#include <QUrl>

/// The update feed on the product site, a small JSON object:
///     {"version": "1.2.0", "build": "31", "url": "https://…/download"}
/// "version" is required (dotted numbers); "build" and "url" are optional.
struct UpdateFeed
{
    QString version;
    QString build;
    /// Only an http or https address is kept; anything else is dropped.
    QUrl downloadUrl;

    /// Parses a feed; none, with `error` filled, when the document is not a valid feed.
    static std::optional<UpdateFeed> parse(const QByteArray& document, QString* error = nullptr);
};

/// Compares dotted version numbers numerically ("1.10" is newer than "1.9", "1.2" equals
/// "1.2.0"): negative, zero or positive. Texts that are not dotted numbers compare as none.
std::optional<int> compareVersions(const QString& left, const QString& right);

/// True when the feed offers a newer version than the running one; the build numbers decide
/// between equal versions when both are numbers.
bool isNewerThanRunning(const UpdateFeed& feed, const QString& runningVersion, const QString& runningBuild);

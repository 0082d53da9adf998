#pragma once

#include <QDir>
#include <QProcessEnvironment>

namespace ovelin::test {

/// The environment of an Ovelin that a test starts: HOME and the XDG data, config and cache
/// folders inside `root` (created here), analytics sent nowhere, Qt's platform left to the display.
inline QProcessEnvironment ovelinEnvironment(const QString& root)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), root);
    for (const char* sub : {"data", "config", "cache"}) {
        const QString folder = root + u'/' + QLatin1String(sub);
        QDir().mkpath(folder);
        environment.insert(QStringLiteral("XDG_%1_HOME").arg(QLatin1String(sub).toString().toUpper()),
                           folder);
    }
    environment.insert(QStringLiteral("OVELIN_ANALYTICS_URL"), QStringLiteral("http://127.0.0.1:9/"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    return environment;
}

} // namespace ovelin::test

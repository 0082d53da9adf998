#include "IsolatedEnvironment.h"

#include <QDir>

namespace ovelin::test {

IsolatedEnvironment::IsolatedEnvironment()
{
    const QString root = m_dir.path();
    for (const char* sub : {"data", "config", "cache", "runtime"})
        QDir(root).mkpath(QString::fromLatin1(sub));
    QFile::setPermissions(root + QStringLiteral("/runtime"), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                                    QFileDevice::ExeOwner);
    qputenv("HOME", root.toLocal8Bit());
    qputenv("XDG_DATA_HOME", dataHome().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", configHome().toLocal8Bit());
    qputenv("XDG_CACHE_HOME", cacheHome().toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", (root + QStringLiteral("/runtime")).toLocal8Bit());
}

QString IsolatedEnvironment::dataHome() const { return m_dir.path() + QStringLiteral("/data"); }
QString IsolatedEnvironment::configHome() const { return m_dir.path() + QStringLiteral("/config"); }
QString IsolatedEnvironment::cacheHome() const { return m_dir.path() + QStringLiteral("/cache"); }

IsolatedEnvironment& isolatedEnvironment()
{
    static IsolatedEnvironment environment;
    return environment;
}

} // namespace ovelin::test

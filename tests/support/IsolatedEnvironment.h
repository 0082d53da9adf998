#pragma once

#include <QTemporaryDir>

namespace ovelin::test {

/// Points HOME and the XDG folders at a fresh temporary folder for the life of the object,
/// so a test never reads or writes the user's own settings, history or caches.
/// Create it before the QCoreApplication: Qt caches some of these paths on first use.
class IsolatedEnvironment
{
public:
    IsolatedEnvironment();
    QString path() const { return m_dir.path(); }
    QString dataHome() const;
    QString configHome() const;
    QString cacheHome() const;

private:
    QTemporaryDir m_dir;
};

/// The environment of the running test program (set up by OVELIN_TEST_MAIN).
IsolatedEnvironment& isolatedEnvironment();

} // namespace ovelin::test

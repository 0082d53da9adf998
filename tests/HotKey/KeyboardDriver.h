#pragma once

// Typing on the test's X server, for the tests of global hot keys.

#include <QProcess>
#include <QTest>

#include "HotKey/HotKey.h"

namespace ovelin::test {

/// Runs xdotool to the end; the event loop keeps running meanwhile, as it would while a person
/// types and moves.
inline void xdotool(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    QTRY_VERIFY_WITH_TIMEOUT(process.state() == QProcess::NotRunning, 10000);
    QCOMPARE(process.exitCode(), 0);
}

/// Presses a hot key of the test's own (Ctrl+Super+F9) and waits for it. X delivers key events in
/// order, so once it arrived, whatever the keys typed before it would trigger has happened: the
/// sentinel for "nothing happened".
inline void pressSentinelHotKey()
{
    bool seen = false;
    auto sentinel = HotKey::create(Key::f9, ModifierFlags(ModifierFlags::control | ModifierFlags::command),
                                   [&seen] { seen = true; });
    xdotool({QStringLiteral("key"), QStringLiteral("ctrl+super+F9")});
    QTRY_VERIFY_WITH_TIMEOUT(seen, 10000);
}

} // namespace ovelin::test

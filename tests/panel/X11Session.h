#pragma once

#include <functional>

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include "support/OvelinEnvironment.h"

namespace ovelin::test {

using namespace Qt::StringLiterals;

/// Runs an X tool to the end and returns what it printed (nothing after five seconds).
inline QString tool(const QString& program, const QStringList& args)
{
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(5000))
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

inline QString xdotool(const QStringList& args)
{
    return tool(u"xdotool"_s, args);
}

inline bool waitFor(const std::function<bool()>& condition, int timeoutMs = 15000)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        if (condition())
            return true;
        QTest::qWait(50);
    }
    return condition();
}

/// Where a window is on the screen, as xwininfo reports it (empty when it is gone).
inline QRect geometryOf(const QString& window)
{
    const QString info = tool(u"xwininfo"_s, {u"-id"_s, window});
    const auto number = [&info](const QString& label) {
        const QRegularExpression pattern(QRegularExpression::escape(label) + u":\\s*(-?\\d+)"_s);
        return pattern.match(info).captured(1).toInt();
    };
    return {number(u"Absolute upper-left X"_s), number(u"Absolute upper-left Y"_s), number(u"Width"_s),
            number(u"Height"_s)};
}

} // namespace ovelin::test

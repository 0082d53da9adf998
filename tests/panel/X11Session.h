#pragma once

#include <functional>

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
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

/// The real executable in a clean HOME on the test's X server, observed with the ordinary X tools.
class OvelinOnX11
{
public:
    QString output;
    QString panel;

    ~OvelinOnX11()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            if (!m_process.waitForFinished(3000))
                m_process.kill();
        }
    }

    /// Starts the program and waits for its panel window.
    bool start(QProcess::ProcessChannelMode channels)
    {
        if (!m_home.isValid())
            return false;
        m_process.setProcessEnvironment(ovelinEnvironment(m_home.path()));
        m_process.setProcessChannelMode(channels);
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput,
                         [this] { output += QString::fromUtf8(m_process.readAllStandardOutput()); });
        m_process.start(QStringLiteral(OVELIN_EXECUTABLE), {});
        if (!m_process.waitForStarted(5000))
            return false;
        return waitFor(
            [this] {
                const QStringList windows =
                    xdotool({u"search"_s, u"--onlyvisible"_s, u"--classname"_s, u"^ovelin$"_s})
                        .split(u'\n', Qt::SkipEmptyParts);
                for (const QString& window : windows) {
                    if (xdotool({u"getwindowname"_s, window}).trimmed() == u"Ovelin"_s)
                        panel = window;
                }
                return !panel.isEmpty();
            },
            10000);
    }

    bool printed(const QString& text) const { return output.contains(text); }
    qsizetype linesStartingWith(const QString& prefix) const
    {
        qsizetype n = 0;
        for (const QString& line : output.split(u'\n'))
            n += line.startsWith(prefix) ? 1 : 0;
        return n;
    }

    bool panelMapped() const
    {
        return tool(u"xwininfo"_s, {u"-id"_s, panel}).contains(u"Map State: IsViewable"_s);
    }
    QRect panelGeometry() const { return geometryOf(panel); }
    bool panelActive() const { return activeWindow() == panel; }
    static QString activeWindow() { return xdotool({u"getactivewindow"_s}).trimmed(); }

    /// Presses the global shortcut with the pointer at (x, y).
    static void pressShortcutAt(int x, int y)
    {
        xdotool({u"mousemove"_s, QString::number(x), QString::number(y)});
        xdotool({u"key"_s, u"ctrl+super+v"_s});
    }

private:
    QTemporaryDir m_home;
    QProcess m_process;
};

} // namespace ovelin::test

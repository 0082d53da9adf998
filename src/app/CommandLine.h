#pragma once

#include <QString>
#include <QStringList>

/// What one start of the executable asks for. `Run` is a plain start; the others also reach a
/// running Ovelin (over the session bus) when there is one.
enum class InstanceCommand
{
    Run,
    Toggle,
    Show,
    ShowPreferences,
    Quit,
    PauseCapture,
    ResumeCapture
};

/// The parsed command line. When `finished` is set the process only prints `output` (to standard
/// error when `exitCode` is not 0) and exits with `exitCode`.
struct CommandLine
{
    InstanceCommand command = InstanceCommand::Run;
    bool finished = false;
    int exitCode = 0;
    QString output;
    /// For PauseCapture: how long; 0 pauses until resumed.
    int pauseMinutes = 0;
    /// A week is the longest pause that is not a mistake; 0 already means "until resumed".
    static constexpr int longestPauseMinutes = 7 * 24 * 60;

    /// `arguments` as the process received them, the program first. Qt's own options
    /// (-platform, -display, ...) are accepted and left for QApplication.
    static CommandLine parse(const QStringList& arguments, const QString& version);
};

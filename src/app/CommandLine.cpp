#include "app/CommandLine.h"

#include <QCommandLineParser>

namespace {

struct CommandOption
{
    const char* name;
    const char* description;
    InstanceCommand command;
};

constexpr CommandOption commandOptions[] = {
    {"toggle", "Opens the history panel at the pointer, or hides it when it is open.",
     InstanceCommand::Toggle},
    {"show", "Opens the history panel at the pointer.", InstanceCommand::Show},
    {"preferences", "Opens the preferences window.", InstanceCommand::ShowPreferences},
    {"quit", "Quits the running Ovelin, saving its history.", InstanceCommand::Quit},
    {"resume", "Resumes capturing copies after --pause.", InstanceCommand::ResumeCapture},
};

// QApplication reads these itself; they only have to get past this parser.
constexpr const char* qtValueOptions[] = {"platform",        "platformtheme", "platformpluginpath",
                                          "display",         "style",         "stylesheet",
                                          "qwindowgeometry", "qwindowtitle",  "qwindowicon"};
constexpr const char* qtFlagOptions[] = {"reverse", "widgetcount"};

} // namespace

CommandLine CommandLine::parse(const QStringList& arguments, const QString& version)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Ovelin keeps a history of what you copy. Started again, it passes the command to the Ovelin "
        "that runs; without a command it opens that one's preferences."));
    // "-platform xcb" is one option, as Qt programs take it, not -p -l -a ...
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    // Not addHelpOption(): its --help-all would list Qt's options, which this usage leaves out.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Prints this summary of the options."));
    const QCommandLineOption versionOption({QStringLiteral("v"), QStringLiteral("version")},
                                           QStringLiteral("Prints the version."));
    parser.addOption(help);
    parser.addOption(versionOption);
    for (const CommandOption& option : commandOptions)
        parser.addOption({QString::fromLatin1(option.name), QString::fromLatin1(option.description)});
    const QCommandLineOption pause(
        QStringLiteral("pause"),
        QStringLiteral("Captures nothing for MINUTES minutes (0: until --resume). Not kept across restarts."),
        QStringLiteral("MINUTES"));
    parser.addOption(pause);
    for (const char* name : qtValueOptions) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char* name : qtFlagOptions) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }

    CommandLine result;
    // The usage names the command, not the path it was started by (nor Qt's placeholder, which
    // it shows when no application object exists yet).
    QString usage = parser.helpText();
    const qsizetype nameEnd = usage.indexOf(QStringLiteral(" [options]"));
    if (usage.startsWith(QStringLiteral("Usage: ")) && nameEnd > 0)
        usage.replace(7, nameEnd - 7, QStringLiteral("ovelin"));
    const auto fail = [&result, &usage](const QString& problem) {
        result.finished = true;
        result.exitCode = 2;
        result.output = problem + u'\n' + usage;
        return result;
    };
    if (!parser.parse(arguments))
        return fail(parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return fail(QStringLiteral("Unexpected argument: ") + parser.positionalArguments().constFirst());

    if (parser.isSet(help)) {
        result.finished = true;
        result.output = usage;
        return result;
    }
    if (parser.isSet(versionOption)) {
        result.finished = true;
        result.output = QStringLiteral("Ovelin ") + version + u'\n';
        return result;
    }
    QStringList chosen;
    for (const CommandOption& option : commandOptions) {
        if (parser.isSet(QString::fromLatin1(option.name))) {
            chosen.append(u"--" + QString::fromLatin1(option.name));
            result.command = option.command;
        }
    }
    if (parser.isSet(pause)) {
        bool ok = false;
        result.pauseMinutes = parser.value(pause).toInt(&ok);
        if (!ok || result.pauseMinutes < 0 || result.pauseMinutes > longestPauseMinutes)
            return fail(QStringLiteral("--pause takes minutes, from 0 to 10080: ") + parser.value(pause));
        chosen.append(QStringLiteral("--pause"));
        result.command = InstanceCommand::PauseCapture;
    }
    if (chosen.size() > 1)
        return fail(QStringLiteral("Only one of these can be given: ") + chosen.join(u", "));
    return result;
}

#include "Beacon/DefaultSignalPayload.h"

#include <cstdlib>

#include <sys/utsname.h>

#include <QFile>
#include <QGuiApplication>
#include <QLocale>
#include <QPalette>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QSysInfo>

#include "Beacon/Clock.h"
#include "Beacon/SessionManager.h"

namespace DefaultSignalPayload {

namespace {

QString boolText(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

QStringList localeComponents(const QString& identifier)
{
    return identifier.split(QRegularExpression(QStringLiteral("[-_]")), Qt::SkipEmptyParts);
}

QString regionCode(const QLocale& locale)
{
    if (locale.territory() != QLocale::AnyTerritory)
        return QLocale::territoryToCode(locale.territory());
    const QStringList parts = localeComponents(locale.name());
    return parts.isEmpty() ? QString() : parts.last();
}

QString languageCode(const QLocale& locale)
{
    if (locale.language() != QLocale::AnyLanguage && locale.language() != QLocale::C)
        return QLocale::languageToCode(locale.language());
    const QStringList parts = localeComponents(locale.name());
    return parts.isEmpty() ? QString() : parts.first();
}

QString preferredLanguage(const QLocale& locale)
{
    const QStringList languages = locale.uiLanguages();
    const QStringList parts =
        localeComponents(languages.isEmpty() ? QStringLiteral("zz-ZZ") : languages.first());
    return parts.isEmpty() ? QStringLiteral("zz") : parts.first();
}

QString colorScheme()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return QStringLiteral("N/A");
    // Qt 6.4 has no colour-scheme hint: a window darker than its text is a dark scheme.
    const QPalette palette = QGuiApplication::palette();
    return palette.color(QPalette::Window).lightness() < palette.color(QPalette::WindowText).lightness()
               ? QStringLiteral("Dark")
               : QStringLiteral("Light");
}

bool reduceMotionEnabled()
{
    // GTK's setting is what desktop environments write when animations are turned off.
    const QString file = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                         QStringLiteral("/gtk-3.0/settings.ini");
    if (!QFile::exists(file))
        return false;
    QSettings gtk(file, QSettings::IniFormat);
    const QString value = gtk.value(QStringLiteral("Settings/gtk-enable-animations")).toString().toLower();
    return value == QLatin1String("0") || value == QLatin1String("false");
}

QString unameMachine()
{
    struct utsname name
    {
    };
    if (::uname(&name) != 0)
        return QSysInfo::currentCpuArchitecture();
    return QString::fromUtf8(name.machine);
}

} // namespace

QString timeZoneDescription(int offsetFromUtcSeconds)
{
    const long long s = offsetFromUtcSeconds;
    const long long magnitude = std::llabs(s);
    QString text = QStringLiteral("UTC") + (s < 0 ? QStringLiteral("-") : QStringLiteral("+")) +
                   QString::number(magnitude / 3600);
    const long long minutes = (magnitude / 60) % 60;
    if (minutes != 0)
        text += QStringLiteral(":%1").arg(minutes, 2, 10, QLatin1Char('0'));
    return text;
}

// The Gregorian calendar's week of the year, weeks starting on Sunday and week 1 being the one
// that holds January 1st (so the last days of December may fall in week 1 of the next year).
static int weekOfYear(QDate date)
{
    const QDate weekStart = date.addDays(-(date.dayOfWeek() % 7));
    if (weekStart.addDays(6) >= QDate(date.year() + 1, 1, 1))
        return 1;
    const int newYearOffset = QDate(date.year(), 1, 1).dayOfWeek() % 7;
    return (date.dayOfYear() - 1 + newYearOffset) / 7 + 1;
}

ParameterDictionary calendarParameters(const QDateTime& localTime)
{
    const QDate date = localTime.date();
    if (!date.isValid()) {
        const QString unknown = QStringLiteral("-1");
        return {{QStringLiteral("Beacon.Calendar.dayOfMonth"), unknown},
                {QStringLiteral("Beacon.Calendar.dayOfWeek"), unknown},
                {QStringLiteral("Beacon.Calendar.dayOfYear"), unknown},
                {QStringLiteral("Beacon.Calendar.weekOfYear"), unknown},
                {QStringLiteral("Beacon.Calendar.isWeekend"), QStringLiteral("false")},
                {QStringLiteral("Beacon.Calendar.monthOfYear"), unknown},
                {QStringLiteral("Beacon.Calendar.quarterOfYear"), unknown},
                {QStringLiteral("Beacon.Calendar.hourOfDay"), unknown}};
    }
    const int dayOfWeek = date.dayOfWeek(); // 1 = Monday ... 7 = Sunday
    return {{QStringLiteral("Beacon.Calendar.dayOfMonth"), QString::number(date.day())},
            {QStringLiteral("Beacon.Calendar.dayOfWeek"), QString::number(dayOfWeek)},
            {QStringLiteral("Beacon.Calendar.dayOfYear"), QString::number(date.dayOfYear())},
            {QStringLiteral("Beacon.Calendar.weekOfYear"), QString::number(weekOfYear(date))},
            {QStringLiteral("Beacon.Calendar.isWeekend"), boolText(dayOfWeek >= 6)},
            {QStringLiteral("Beacon.Calendar.monthOfYear"), QString::number(date.month())},
            {QStringLiteral("Beacon.Calendar.quarterOfYear"), QString::number((date.month() - 1) / 3 + 1)},
            {QStringLiteral("Beacon.Calendar.hourOfDay"), QString::number(localTime.time().hour())}};
}

QList<int> versionNumbers(const QString& versionText)
{
    QList<int> numbers;
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("^(\\d+)(?:\\.(\\d+))?(?:\\.(\\d+))?")).match(versionText);
    for (int i = 1; i <= 3; ++i)
        numbers.append(match.hasMatch() ? match.captured(i).toInt() : 0);
    return numbers;
}

QString modelName(const QString& dmiFolder)
{
    QFile file(dmiFolder + QStringLiteral("/product_name"));
    if (file.open(QIODevice::ReadOnly)) {
        QByteArray bytes = file.read(256);
        const qsizetype nul = bytes.indexOf('\0');
        if (nul >= 0)
            bytes.truncate(nul);
        const QString model = QString::fromUtf8(bytes).trimmed();
        if (!model.isEmpty())
            return model;
    }
    return unameMachine();
}

ParameterDictionary parameters(const TelemetryManagerConfiguration& configuration,
                               const SessionManager* sessions, double now)
{
    const QString platform = QStringLiteral("Linux");
    const QList<int> version = versionNumbers(QSysInfo::kernelVersion());
    const QString systemVersion =
        QStringLiteral("%1 %2.%3.%4").arg(platform).arg(version[0]).arg(version[1]).arg(version[2]);
    const QString majorMinor = QStringLiteral("%1 %2.%3").arg(platform).arg(version[0]).arg(version[1]);
    const QString major = QStringLiteral("%1 %2").arg(platform).arg(version[0]);
    const QString appVersion = configuration.appVersion;
    const QString buildNumber = configuration.buildNumber;
    const QString architecture = QSysInfo::buildCpuArchitecture();
    const QString model = modelName();
    const QLocale locale = QLocale::system();
    const QString localeName = locale.name();
    const QString region = regionCode(locale);
    const QString language = languageCode(locale);
    const QString sdkVersionText = QLatin1String(sdkVersion);
    // No store receipt exists here, so this is never a test-flight build.
    const bool isTestFlight = false;

    QString screenWidth = QStringLiteral("0");
    QString screenHeight = QStringLiteral("0");
    QString screenScale = QStringLiteral("1");
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            screenWidth = QString::number(screen->size().width());
            screenHeight = QString::number(screen->size().height());
            screenScale = QString::number(screen->devicePixelRatio());
        }
    }

    const QDateTime localNow = Clock::toDateTime(now);

    ParameterDictionary payload{
        {QStringLiteral("platform"), platform},
        {QStringLiteral("systemVersion"), systemVersion},
        {QStringLiteral("majorSystemVersion"), major},
        {QStringLiteral("majorMinorSystemVersion"), majorMinor},
        {QStringLiteral("appVersion"), appVersion},
        {QStringLiteral("buildNumber"), buildNumber},
        {QStringLiteral("isSimulator"), QStringLiteral("false")},
        {QStringLiteral("isDebug"), QStringLiteral("false")},
        {QStringLiteral("isTestFlight"), boolText(isTestFlight)},
        {QStringLiteral("isAppStore"), boolText(!isTestFlight)},
        {QStringLiteral("modelName"), model},
        {QStringLiteral("architecture"), architecture},
        {QStringLiteral("operatingSystem"), platform},
        {QStringLiteral("targetEnvironment"), QStringLiteral("native")},
        {QStringLiteral("locale"), localeName},
        {QStringLiteral("region"), region},
        {QStringLiteral("appLanguage"), language},
        {QStringLiteral("preferredLanguage"), preferredLanguage(locale)},
        {QStringLiteral("telemetryClientVersion"), sdkVersionText},

        {QStringLiteral("Beacon.AppInfo.buildNumber"), buildNumber},
        {QStringLiteral("Beacon.AppInfo.version"), appVersion},
        {QStringLiteral("Beacon.AppInfo.versionAndBuildNumber"),
         appVersion + QStringLiteral(" (build ") + buildNumber + QStringLiteral(")")},
        {QStringLiteral("Beacon.Device.architecture"), architecture},
        {QStringLiteral("Beacon.Device.modelName"), model},
        {QStringLiteral("Beacon.Device.operatingSystem"), platform},
        {QStringLiteral("Beacon.Device.orientation"), QStringLiteral("Fixed")},
        {QStringLiteral("Beacon.Device.platform"), platform},
        {QStringLiteral("Beacon.Device.screenResolutionHeight"), screenHeight},
        {QStringLiteral("Beacon.Device.screenResolutionWidth"), screenWidth},
        {QStringLiteral("Beacon.Device.screenScaleFactor"), screenScale},
        {QStringLiteral("Beacon.Device.systemMajorMinorVersion"), majorMinor},
        {QStringLiteral("Beacon.Device.systemMajorVersion"), major},
        {QStringLiteral("Beacon.Device.systemVersion"), systemVersion},
        {QStringLiteral("Beacon.Device.timeZone"), timeZoneDescription(localNow.offsetFromUtc())},
        {QStringLiteral("Beacon.RunContext.isAppStore"), boolText(!isTestFlight)},
        {QStringLiteral("Beacon.RunContext.isDebug"), QStringLiteral("false")},
        {QStringLiteral("Beacon.RunContext.isSimulator"), QStringLiteral("false")},
        {QStringLiteral("Beacon.RunContext.isTestFlight"), boolText(isTestFlight)},
        {QStringLiteral("Beacon.RunContext.language"), language},
        {QStringLiteral("Beacon.RunContext.locale"), localeName},
        {QStringLiteral("Beacon.RunContext.targetEnvironment"), QStringLiteral("native")},
        {QStringLiteral("Beacon.SDK.name"), QLatin1String(sdkName)},
        {QStringLiteral("Beacon.SDK.nameAndVersion"),
         QLatin1String(sdkName) + QLatin1Char(' ') + sdkVersionText},
        {QStringLiteral("Beacon.SDK.version"), sdkVersionText},
        {QStringLiteral("Beacon.UserPreference.colorScheme"), colorScheme()},
        {QStringLiteral("Beacon.UserPreference.language"), language},
        {QStringLiteral("Beacon.UserPreference.layoutDirection"), locale.textDirection() == Qt::RightToLeft
                                                                      ? QStringLiteral("rightToLeft")
                                                                      : QStringLiteral("leftToRight")},
        {QStringLiteral("Beacon.UserPreference.region"), region},
        {QStringLiteral("Beacon.Accessibility.isReduceMotionEnabled"), boolText(reduceMotionEnabled())},
        // X11 has no colour-inversion setting an application can read.
        {QStringLiteral("Beacon.Accessibility.isInvertColorsEnabled"), QStringLiteral("false")},
    };
    payload.insert(calendarParameters(localNow));
    if (sessions)
        payload.insert(sessions->retentionParameters());
    return payload;
}

} // namespace DefaultSignalPayload

#include "Beacon/Beacon.h"

#include <QCoreApplication>
#include <QEvent>
#include <QReadWriteLock>

#include "Beacon/TelemetryManager.h"
#include "Beacon/UserStore.h"

namespace {

QReadWriteLock storageLock;
std::shared_ptr<TelemetryManager> storedManager;

std::optional<QString> navigationPath; // main thread only

// The manager is a QObject of the main thread: whoever drops the last reference, it is deleted there.
void deleteOnOwnThread(TelemetryManager* manager)
{
    manager->deleteLater();
}

/// Sends a navigation signal each time its watched object is shown.
class TrackNavigationModifier : public QObject
{
public:
    TrackNavigationModifier(QObject* view, QString path) : QObject(view), m_path(std::move(path))
    {
        view->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == parent() && event->type() == QEvent::Show)
            Beacon::sendNavigationChange(m_path);
        return false;
    }

private:
    QString m_path;
};

} // namespace

void Beacon::initialize(const TelemetryManagerConfiguration& configuration)
{
    auto manager = std::shared_ptr<TelemetryManager>(new TelemetryManager(configuration), deleteOnOwnThread);
    QWriteLocker locker(&storageLock);
    storedManager = std::move(manager);
}

void Beacon::terminate()
{
    std::shared_ptr<TelemetryManager> previous;
    {
        QWriteLocker locker(&storageLock);
        previous.swap(storedManager);
    }
}

bool Beacon::isInitialized()
{
    return manager() != nullptr;
}

std::shared_ptr<TelemetryManager> Beacon::manager()
{
    QReadLocker locker(&storageLock);
    return storedManager;
}

std::optional<TelemetryManagerConfiguration> Beacon::configuration()
{
    if (const auto m = manager())
        return m->configuration();
    return std::nullopt;
}

SignalManager* Beacon::signalManager()
{
    const auto m = manager();
    return m ? &m->signalManager() : nullptr;
}

QString Beacon::storeSuiteName()
{
    const auto m = manager();
    return m ? m->storeSuiteName() : QString();
}

void Beacon::generateNewSession()
{
    if (const auto m = manager())
        m->generateNewSession();
}

void Beacon::signal(const QString& name, const ParameterDictionary& parameters,
                    std::optional<double> floatValue, const std::optional<QString>& customUserID)
{
    if (const auto m = manager())
        m->signal(name, parameters, floatValue, customUserID);
}

QString Beacon::hashedUserIdentifier(const QString& identifier, const QString& salt)
{
    return UserStore::sha256Hex(identifier + salt);
}

const QSet<QString>& Beacon::reservedNames()
{
    static const QSet<QString> names = [] {
        const char* const list[] = {"type",
                                    "clientUser",
                                    "appID",
                                    "sessionID",
                                    "floatValue",
                                    "newSessionBegan",
                                    "platform",
                                    "systemVersion",
                                    "majorSystemVersion",
                                    "majorMinorSystemVersion",
                                    "appVersion",
                                    "buildNumber",
                                    "isSimulator",
                                    "isDebug",
                                    "isTestFlight",
                                    "isAppStore",
                                    "modelName",
                                    "architecture",
                                    "operatingSystem",
                                    "targetEnvironment",
                                    "locale",
                                    "region",
                                    "appLanguage",
                                    "preferredLanguage",
                                    "telemetryClientVersion"};
        QSet<QString> set;
        for (const char* name : list)
            set.insert(QString::fromLatin1(name).toLower());
        return set;
    }();
    return names;
}

void Beacon::sendNavigationChange(const QString& sourcePath, const QString& destinationPath,
                                  const std::optional<QString>& customUserID)
{
    navigationPath = destinationPath;
    signal(QStringLiteral("Beacon.Navigation.pathChanged"),
           {{QStringLiteral("Beacon.Navigation.schemaVersion"), QStringLiteral("1")},
            {QStringLiteral("Beacon.Navigation.identifier"),
             sourcePath + QStringLiteral(" -> ") + destinationPath},
            {QStringLiteral("Beacon.Navigation.sourcePath"), sourcePath},
            {QStringLiteral("Beacon.Navigation.destinationPath"), destinationPath}},
           std::nullopt, customUserID);
}

void Beacon::sendNavigationChange(const QString& destinationPath, const std::optional<QString>& customUserID)
{
    sendNavigationChange(navigationPath.value_or(QString()), destinationPath, customUserID);
}

void Beacon::trackNavigationPath(QObject* view, const QString& path)
{
    if (view)
        new TrackNavigationModifier(view, path);
}

std::optional<QString> Beacon::previousNavigationPath()
{
    return navigationPath;
}

void Beacon::resetNavigationPath()
{
    navigationPath.reset();
}

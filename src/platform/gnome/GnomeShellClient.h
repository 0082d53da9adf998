#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QStringList>
#include <QVariantList>

class QDBusServiceWatcher;

/// Ovelin's side of the GNOME Shell extension ovelin@ovelin.app: follows the extension's name on
/// the session bus (turned off and on, the shell restarted), checks its interface version and
/// carries the calls. GUI thread, except call(), which any thread may make.
class GnomeShellClient : public QObject
{
    Q_OBJECT
public:
    static constexpr quint32 interfaceVersion = 2;
    static constexpr char service[] = "app.ovelin.Shell";
    static constexpr char path[] = "/app/ovelin/Shell";
    static constexpr char interface[] = "app.ovelin.Shell1";
    static constexpr char uuid[] = "ovelin@ovelin.app";

    enum class State
    {
        Missing,    ///< no extension answers on the bus
        Mismatched, ///< it answers with another interface version: left alone
        Ready,
    };

    /// Asks the extension at once (a blocking call of at most two seconds).
    explicit GnomeShellClient(QDBusConnection bus, QObject* parent = nullptr);

    State state() const { return m_state; }
    bool isReady() const { return m_state == State::Ready; }
    quint32 extensionVersion() const { return m_extensionVersion; }
    QString shellVersion() const { return m_shellVersion; }

    /// A blocking call; an empty reply and the error's name and text in `error` when it failed.
    QDBusMessage call(const QString& method, const QVariantList& arguments, int timeoutMs,
                      QString* error = nullptr) const;
    /// The window Ovelin last asked to activate (0: none); the paste keys wait for it.
    quint64 requestedWindow() const { return m_requestedWindow; }
    void setRequestedWindow(quint64 window) { m_requestedWindow = window; }

    /// The command that turns the extension on, for the lines and the Permissions page.
    static QString enableCommand();

Q_SIGNALS:
    /// The extension came, went, or may now serve this process (its name on the bus became
    /// Ovelin's): callers subscribe and bind again when it is ready.
    void stateChanged();
    void clipboardChanged(quint32 serial, const QStringList& formats, const QString& owner, bool concealed);

private Q_SLOTS:
    void onClipboardChanged(uint serial, const QStringList& formats, const QString& owner, bool concealed);

private:
    void greet();
    void setState(State state);

    QDBusConnection m_bus;
    QDBusServiceWatcher* m_watcher;
    State m_state = State::Missing;
    quint32 m_extensionVersion = 0;
    QString m_shellVersion;
    quint64 m_requestedWindow = 0;
};

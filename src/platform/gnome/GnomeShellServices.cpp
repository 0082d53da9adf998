#include "platform/gnome/GnomeShellServices.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QPointer>
#include <QTimer>

#include "common/Console.h"
#include "platform/gnome/GnomeShellClient.h"

namespace {

constexpr int quickCallMs = 2000;
// The shell waits up to a second for the focus before it types.
constexpr int pasteCallMs = 4000;

} // namespace

GnomeFrontmostApplicationService::GnomeFrontmostApplicationService(GnomeShellClient* shell, QObject* parent)
    : QObject(parent), m_shell(shell)
{
}

std::optional<FrontmostApplication> GnomeFrontmostApplicationService::focusedWindow()
{
    if (!m_shell->isReady())
        return std::nullopt;
    const QVariantList values = m_shell->call(QStringLiteral("FrontWindow"), {}, quickCallMs).arguments();
    if (values.size() != 4 || values.at(0).toULongLong() == 0)
        return std::nullopt;
    FrontmostApplication app;
    app.windowId = values.at(0).toULongLong();
    if (const QString id = values.at(1).toString(); !id.isEmpty())
        app.identifier = id;
    if (const QString title = values.at(2).toString(); !title.isEmpty())
        app.name = title;
    if (const qint64 pid = values.at(3).toLongLong(); pid > 0)
        app.processIdentifier = pid;
    return app;
}

std::optional<FrontmostApplication> GnomeFrontmostApplicationService::frontmostApplication()
{
    std::optional<FrontmostApplication> app = focusedWindow();
    if (app && app->processIdentifier == QCoreApplication::applicationPid())
        return std::nullopt;
    return app;
}

bool GnomeFrontmostApplicationService::activateWindow(quint64 windowId)
{
    if (!m_shell->isReady())
        return false;
    const QVariantList values =
        m_shell->call(QStringLiteral("Activate"), {windowId}, quickCallMs).arguments();
    const bool done = values.size() == 1 && values.at(0).toBool();
    m_shell->setRequestedWindow(done ? windowId : 0);
    return done;
}

QStringList GnomeFrontmostApplicationService::runningApplications()
{
    if (!m_shell->isReady())
        return {};
    const QVariantList values = m_shell->call(QStringLiteral("RunningApps"), {}, quickCallMs).arguments();
    return values.size() == 1 ? values.at(0).toStringList() : QStringList();
}

void GnomeFrontmostApplicationService::whenFocusSettled(std::chrono::milliseconds timeout, QObject* context,
                                                        std::function<void()> ready)
{
    auto* poll = new QTimer(this);
    poll->setInterval(25);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    QPointer<QObject> guard(context);
    auto check = [this, poll, deadline, guard, ready = std::move(ready)] {
        const std::optional<FrontmostApplication> app = focusedWindow();
        const quint64 wanted = m_shell->requestedWindow();
        const bool settled = app && app->processIdentifier != QCoreApplication::applicationPid() &&
                             (wanted == 0 || app->windowId == wanted);
        if (!settled && m_shell->isReady() && std::chrono::steady_clock::now() < deadline)
            return;
        poll->stop();
        poll->deleteLater();
        if (guard)
            ready();
    };
    connect(poll, &QTimer::timeout, this, check);
    poll->start();
}

bool GnomeKeyEventPoster::postPasteKeystroke(PasteKeystroke keystroke, QString* error)
{
    if (!m_shell->isReady()) {
        *error = QStringLiteral("sem a extensão do GNOME Shell");
        return false;
    }
    QString keys = QStringLiteral("ctrl-v");
    if (keystroke == PasteKeystroke::ControlShiftV)
        keys = QStringLiteral("ctrl-shift-v");
    else if (keystroke == PasteKeystroke::ShiftInsert)
        keys = QStringLiteral("shift-insert");
    QString failure;
    m_shell->call(QStringLiteral("Paste"), {m_shell->requestedWindow(), keys}, pasteCallMs, &failure);
    m_shell->setRequestedWindow(0);
    if (failure.isEmpty())
        return true;
    *error = failure;
    return false;
}

bool GnomeWindowSystem::placeAtPointer(quint64 window)
{
    Q_UNUSED(window); // a Wayland client knows no id the shell would: the shell finds it by title
    if (!m_shell->isReady())
        return false;
    QDBusMessage message = QDBusMessage::createMethodCall(
        QString::fromLatin1(GnomeShellClient::service), QString::fromLatin1(GnomeShellClient::path),
        QString::fromLatin1(GnomeShellClient::interface), QStringLiteral("PlaceAtPointer"));
    message << QStringLiteral("Ovelin");
    // Not waited for: the panel's window may map only after this returns.
    return QDBusConnection::sessionBus().send(message);
}

GnomeShortcutService::GnomeShortcutService(GnomeShellClient* shell, QObject* parent)
    : QObject(parent), m_shell(shell)
{
    connect(m_shell, &GnomeShellClient::stateChanged, this, [this] {
        if (!m_accelerator.isEmpty())
            send();
    });
}

QString GnomeShortcutService::accelerator(const Combination& combination)
{
    QString text;
    if (combination.control)
        text += QStringLiteral("<Control>");
    if (combination.alt)
        text += QStringLiteral("<Alt>");
    if (combination.shift)
        text += QStringLiteral("<Shift>");
    if (combination.super)
        text += QStringLiteral("<Super>");
    return text + combination.key.toLower();
}

void GnomeShortcutService::bind(const Combination& combination, std::function<void()> pressed)
{
    Q_UNUSED(pressed);
    m_accelerator = accelerator(combination);
    send();
}

void GnomeShortcutService::unbind()
{
    m_accelerator.clear();
    send();
}

void GnomeShortcutService::send()
{
    if (!m_shell->isReady()) {
        m_state = m_accelerator.isEmpty() ? State::Waiting : State::Refused;
        return;
    }
    QString error;
    const QVariantList values =
        m_shell->call(QStringLiteral("SetShortcut"), {m_accelerator}, quickCallMs, &error).arguments();
    if (m_accelerator.isEmpty()) {
        m_state = State::Waiting;
        return;
    }
    if (error.contains(QLatin1String("AccessDenied"))) {
        m_state = State::Waiting; // until Ovelin's name is this process's: sent again then
        return;
    }
    const bool bound = values.size() == 1 && values.at(0).toBool();
    m_state = bound ? State::Registered : State::Refused;
    if (!bound)
        ovelin::printLine(qtTrId("gnome_shortcut_refused_line").arg(m_accelerator));
}

bool GnomeCapabilityService::canSynthesizeInput() const
{
    return m_shell->isReady();
}

QList<SessionCapability> GnomeCapabilityService::sessionCapabilities() const
{
    using Kind = SessionCapability::Kind;
    using State = GnomeShellClient::State;
    const bool ready = m_shell->isReady();
    const QString via = QStringLiteral("via GNOME Shell");
    // Pieces of the start line, which is Portuguese like its other rows.
    const QString without = QStringLiteral("sem a extensão do GNOME Shell");
    const auto row = [&](Kind kind) { return SessionCapability{kind, ready, ready ? via : without}; };
    SessionCapability extension{Kind::ShellExtension, ready, {}};
    if (ready)
        extension.how = QStringLiteral("%1 v%2")
                            .arg(QString::fromLatin1(GnomeShellClient::uuid))
                            .arg(m_shell->extensionVersion());
    else if (m_shell->state() == State::Mismatched)
        extension.how = QStringLiteral("versão de interface %1, este Ovelin fala a %2")
                            .arg(m_shell->extensionVersion())
                            .arg(GnomeShellClient::interfaceVersion);
    else
        extension.how = QStringLiteral("ausente: %1").arg(GnomeShellClient::enableCommand());
    extension.mismatched = m_shell->state() == State::Mismatched;
    SessionCapability shortcut = row(Kind::Shortcut);
    if (ready && m_shortcuts && m_shortcuts->state() == GlobalShortcutService::State::Refused)
        shortcut = {Kind::Shortcut, false, QStringLiteral("recusado pelo GNOME Shell")};
    return {extension,
            row(Kind::ClipboardAccess),
            row(Kind::Paste),
            row(Kind::FrontmostApplication),
            shortcut,
            row(Kind::Placement),
            {Kind::PointerMotion, false, QStringLiteral("indisponível no Wayland")}};
}

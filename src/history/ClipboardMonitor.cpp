#include "history/ClipboardMonitor.h"

#include <algorithm>
#include <mutex>

#include <QScopedValueRollback>
#include <QThreadPool>
#include <QTimer>

#include "common/Console.h"
#include "history/CaptureGate.h"
#include "platform/ClipboardService.h"

namespace {

// Only file URLs count: a text/uri-list may also carry web links, which are not files.
QList<QUrl> fileURLs(const QStringList& entries)
{
    QList<QUrl> urls;
    for (const QString& entry : entries) {
        const QUrl url(entry);
        if (url.isValid() && url.isLocalFile())
            urls.append(url);
    }
    return urls;
}

bool isBlank(const QString& text)
{
    for (const QChar c : text) {
        if (!c.isSpace())
            return false;
    }
    return true;
}

} // namespace

// Lets a background search post its result while the monitor lives, and never after.
struct ClipboardMonitor::Relay
{
    std::mutex mutex;
    ClipboardMonitor* monitor;
};

ClipboardMonitor::ClipboardMonitor(ClipboardHistory* history, ClipboardService& clipboard, QObject* parent)
    : QObject(parent), m_history(history), m_clipboard(clipboard), m_relay(std::make_shared<Relay>()),
      m_gate(&CaptureGate::shared())
{
    m_relay->monitor = this;
}

ClipboardMonitor::~ClipboardMonitor()
{
    {
        // A result posted before this is dropped with the monitor's pending events.
        const std::lock_guard lock(m_relay->mutex);
        m_relay->monitor = nullptr;
    }
    if (m_watching)
        m_clipboard.watch(nullptr);
}

void ClipboardMonitor::watch()
{
    if (m_watching)
        return;
    m_watching = true;
    m_clipboard.watch(
        [this](const ClipboardSnapshot& snapshot, bool changed) { snapshotArrived(snapshot, changed); });
}

void ClipboardMonitor::snapshotArrived(const ClipboardSnapshot& snapshot, bool changed)
{
    ++m_snapshot;
    m_screening = false;
    m_cachedCandidate = candidateFrom(snapshot);
    // Refused once, when it arrives: later offers then have nothing until the next copy, so
    // what was copied during a pause stays out after it, and the size line is printed once.
    if (m_cachedCandidate && m_gate) {
        std::optional<QString> application = snapshot.ownerApplication;
        if (!application && m_frontmostApplication)
            application = m_frontmostApplication();
        if (!m_gate->admits(*m_cachedCandidate, application)) {
            m_cachedCandidate.reset();
        } else if (m_cachedCandidate->type().kind() == ClipboardItemKind::Text &&
                   m_cachedCandidate->type().text().size() > screenInPlaceChars) {
            screenInBackground(changed);
            return;
        } else if (!m_gate->screenSecrets(*m_cachedCandidate)) {
            m_cachedCandidate.reset();
        }
    }
    offerArrived(changed);
}

void ClipboardMonitor::offerArrived(bool changed)
{
    // What the clipboard held before watching began waits for the first offer, one interval after
    // the start, or comes as soon as it is read when that takes longer; a change is offered now,
    // as the next copy may replace it within the second.
    if (changed)
        offerCandidate();
    else if (m_timer)
        offerSoon(int(std::max<qint64>(0, m_firstOfferDelay.count() - m_started.elapsed())));
}

void ClipboardMonitor::setGate(CaptureGate* gate)
{
    m_gate = gate;
    if (m_timer)
        connectGate();
}

void ClipboardMonitor::connectGate()
{
    disconnect(m_gateConnection);
    // What was refused during a pause stays out, but an entry removed meanwhile comes back.
    if (m_gate) {
        m_gateConnection = connect(m_gate, &CaptureGate::pausedChanged, this, [this](bool paused) {
            if (!paused)
                offerSoon(0);
        });
    }
}

void ClipboardMonitor::screenInBackground(bool changed)
{
    // A long text costs the GUI thread a frame or more per megabyte-scale search.
    m_screening = true;
    QThreadPool::globalInstance()->start([relay = m_relay, snapshot = m_snapshot,
                                          text = m_cachedCandidate->type().text(),
                                          disabled = m_gate->disabledSensitiveKinds(), changed] {
        const std::optional<SensitiveText::Match> match = SensitiveText::find(text, disabled);
        const std::lock_guard lock(relay->mutex);
        if (ClipboardMonitor* monitor = relay->monitor) {
            QMetaObject::invokeMethod(
                monitor, [monitor, snapshot, match, changed] { monitor->screened(snapshot, match, changed); },
                Qt::QueuedConnection);
        }
    });
}

void ClipboardMonitor::screened(quint64 snapshot, const std::optional<SensitiveText::Match>& match,
                                bool changed)
{
    if (snapshot != m_snapshot || !m_screening || !m_cachedCandidate)
        return;
    m_screening = false;
    m_cachedCandidate->setSensitive(match);
    if (match && m_gate && m_gate->sensitiveItemMinutes() == 0) {
        m_cachedCandidate.reset();
        return;
    }
    offerArrived(changed);
}

void ClipboardMonitor::startMonitoring()
{
    if (m_timer)
        return;
    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    m_timer->setTimerType(Qt::PreciseTimer);
    connect(m_timer, &QTimer::timeout, this, &ClipboardMonitor::checkPasteboard);
    // An entry deleted, cleared or unpinned while the clipboard still holds it comes back. Offered
    // from the event loop, after the change has reached everyone else.
    // Not for its own additions: an addition the history does not keep on top (a limit of none,
    // a newer entry from a clock set back) would otherwise be offered again without end.
    if (m_history) {
        connect(m_history, &ClipboardHistory::historyChanged, this, [this] {
            if (!m_adding)
                offerSoon(0);
        });
    }
    connectGate();
    m_started.start();
    offerSoon(int(m_firstOfferDelay.count()));
    watch();
    ovelin::printLine(QStringLiteral("📋 Monitoramento da área de transferência iniciado!"));
}

void ClipboardMonitor::offerSoon(int delayMs)
{
    if (!m_timer->isActive() || m_timer->remainingTime() > delayMs)
        m_timer->start(delayMs);
}

void ClipboardMonitor::checkPasteboard()
{
    if (!m_history)
        return;
    watch();
    offerCandidate();
}

void ClipboardMonitor::offerCandidate()
{
    // Asked first: a pause whose time is up ends here at the latest.
    if ((m_gate && m_gate->isPaused()) || !m_cachedCandidate || m_screening || !m_history)
        return;
    const ClipboardItem& cached = *m_cachedCandidate;
    // A fresh item every time (new id and time), sharing the cached payload's buffers.
    ClipboardItem item(cached.type(), cached.richTextRTF(), cached.richTextHTML());
    item.setSensitive(cached.sensitive());
    // A secret is offered once: the clipboard may hold it long after the history forgot it.
    if (item.isSensitive())
        m_cachedCandidate.reset();
    handleCapturedItem(item);
}

void ClipboardMonitor::handleCapturedItem(const ClipboardItem& item)
{
    m_lastCopiedItem = item;
    if (m_history) {
        const QScopedValueRollback adding(m_adding, true);
        m_history->addItem(item);
    }
}

std::optional<ClipboardItem> ClipboardMonitor::candidateFrom(const ClipboardSnapshot& snapshot)
{
    if (snapshot.concealed)
        return std::nullopt;
    const QList<QUrl> urls = fileURLs(snapshot.uriList);
    if (urls.size() == 1)
        return ClipboardItem(ClipboardItemType::file(urls.first()));
    if (urls.size() > 1)
        return ClipboardItem(ClipboardItemType::fileGroup(urls));
    if (snapshot.text && !isBlank(*snapshot.text))
        return ClipboardItem(ClipboardItemType::text(*snapshot.text), snapshot.rtf, snapshot.html);
    if (snapshot.image)
        return ClipboardItem(ClipboardItemType::image(*snapshot.image));
    return std::nullopt;
}

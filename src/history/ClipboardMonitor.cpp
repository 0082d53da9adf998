#include "history/ClipboardMonitor.h"

#include <algorithm>

#include <QScopedValueRollback>
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

ClipboardMonitor::ClipboardMonitor(ClipboardHistory* history, ClipboardService& clipboard, QObject* parent)
    : QObject(parent), m_history(history), m_clipboard(clipboard), m_gate(&CaptureGate::shared())
{
}

ClipboardMonitor::~ClipboardMonitor()
{
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
    m_cachedCandidate = candidateFrom(snapshot);
    // Refused once, when it arrives: later offers then have nothing until the next copy, so
    // what was copied during a pause stays out after it, and the size line is printed once.
    if (m_cachedCandidate && m_gate) {
        std::optional<QString> application = snapshot.ownerApplication;
        if (!application && m_frontmostApplication)
            application = m_frontmostApplication();
        if (!m_gate->admits(*m_cachedCandidate, application))
            m_cachedCandidate.reset();
    }
    // What the clipboard held before watching began waits for the first offer, one interval after
    // the start, or comes as soon as it is read when that takes longer; a change is offered now,
    // as the next copy may replace it within the second.
    if (changed)
        offerCandidate();
    else if (m_timer)
        offerSoon(int(std::max<qint64>(0, intervalMs - m_started.elapsed())));
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
    offerSoon(intervalMs);
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
    if ((m_gate && m_gate->isPaused()) || !m_cachedCandidate || !m_history)
        return;
    const ClipboardItem& cached = *m_cachedCandidate;
    // A fresh item every time (new id and time), sharing the cached payload's buffers.
    handleCapturedItem(ClipboardItem(cached.type(), cached.richTextRTF(), cached.richTextHTML()));
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

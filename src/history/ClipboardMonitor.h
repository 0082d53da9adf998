#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>

#include "history/ClipboardHistory.h"
#include "history/ClipboardItem.h"
#include "history/SensitiveText.h"

class CaptureGate;
class ClipboardService;
struct ClipboardSnapshot;
class QTimer;

/// Offers what the clipboard holds to the history as a new item: at once for every change the
/// clipboard service announces (so copies in quick succession are all kept), one interval after
/// the start for what it held already, and again whenever the history changes or a pause ends,
/// so an entry deleted, cleared or unpinned while still on the clipboard comes back. Nothing runs
/// while nothing happens. Recognising that nothing new was copied is the history's business:
/// every offer is a fresh candidate, built from the last snapshot delivered, so an unchanged
/// clipboard costs no transfer and the GUI thread never waits for another application. GUI
/// thread only.
class ClipboardMonitor : public QObject
{
    Q_OBJECT
public:
    static constexpr int intervalMs = 1000;
    /// Longer texts are searched for secrets off the GUI thread; they are offered once searched.
    static constexpr qsizetype screenInPlaceChars = 64 * 1024;

    /// The monitor does not keep the history alive; offers do nothing once it is gone.
    ClipboardMonitor(ClipboardHistory* history, ClipboardService& clipboard, QObject* parent = nullptr);
    ~ClipboardMonitor() override;

    /// Starts watching the clipboard; what it holds already is offered one interval later. Only
    /// the first call has an effect.
    void startMonitoring();
    bool isMonitoring() const { return m_timer != nullptr; }
    /// How long after the start what the clipboard held already is offered: `intervalMs` unless
    /// changed before startMonitoring() (tests shorten it).
    void setFirstOfferDelay(std::chrono::milliseconds delay) { m_firstOfferDelay = delay; }

    /// Decides what is captured; CaptureGate::shared() unless replaced. Not owned.
    void setGate(CaptureGate* gate);
    /// The application in front, asked when a snapshot does not name the clipboard's owner.
    void setFrontmostApplication(std::function<std::optional<QString>()> lookup)
    {
        m_frontmostApplication = std::move(lookup);
    }

    /// Offers the candidate of the last snapshot to the history now.
    void checkPasteboard();
    void handleCapturedItem(const ClipboardItem& item);

    /// The most recent capture handed to the history.
    const std::optional<ClipboardItem>& lastCopiedItem() const { return m_lastCopiedItem; }

    /// The item a clipboard holding this snapshot yields: file URLs first, then non-blank text
    /// with its rich forms, then image bytes. None for concealed or unusable contents.
    static std::optional<ClipboardItem> candidateFrom(const ClipboardSnapshot& snapshot);

private:
    void watch();
    void snapshotArrived(const ClipboardSnapshot& snapshot, bool changed);
    void offerCandidate();
    void offerArrived(bool changed);
    void screenInBackground(bool changed);
    void screened(quint64 snapshot, const std::optional<SensitiveText::Match>& match, bool changed);
    void offerSoon(int delayMs);
    void connectGate();

    QPointer<ClipboardHistory> m_history;
    ClipboardService& m_clipboard;
    // Single shot, armed only while an offer is due.
    QTimer* m_timer = nullptr;
    QElapsedTimer m_started;
    std::chrono::milliseconds m_firstOfferDelay{intervalMs};
    std::optional<ClipboardItem> m_lastCopiedItem;
    // The candidate built from the last snapshot delivered.
    std::optional<ClipboardItem> m_cachedCandidate;
    bool m_watching = false;
    // Counts snapshots, so that a search finished after a newer copy is dropped.
    quint64 m_snapshot = 0;
    // The cached candidate is being searched for secrets: not offered until known.
    bool m_screening = false;
    struct Relay;
    std::shared_ptr<Relay> m_relay;
    bool m_adding = false;
    CaptureGate* m_gate;
    QMetaObject::Connection m_gateConnection;
    std::function<std::optional<QString>()> m_frontmostApplication;
};

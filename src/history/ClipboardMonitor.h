#pragma once

#include <optional>

#include <QObject>
#include <QPointer>

#include "history/ClipboardHistory.h"
#include "history/ClipboardItem.h"

class ClipboardService;
struct ClipboardSnapshot;
class QTimer;

/// Watches the clipboard once a second and offers what it holds to the history as a new item.
/// Recognising that nothing new was copied is the history's business: every tick offers a fresh
/// candidate. The clipboard is transferred again only after its change count moved, so an
/// unchanged clipboard costs no transfer. GUI thread only.
class ClipboardMonitor : public QObject
{
    Q_OBJECT
public:
    static constexpr int intervalMs = 1000;

    /// The monitor does not keep the history alive; ticks do nothing once it is gone.
    ClipboardMonitor(ClipboardHistory* history, ClipboardService& clipboard, QObject* parent = nullptr);
    ~ClipboardMonitor() override;

    /// Starts the repeating timer; the first check runs one interval later. Only the first call
    /// has an effect.
    void startMonitoring();
    bool isMonitoring() const { return m_timer != nullptr; }

    /// One tick: reads the clipboard (if it changed) and offers the candidate to the history.
    void checkPasteboard();
    void handleCapturedItem(const ClipboardItem& item);

    /// The most recent capture handed to the history.
    const std::optional<ClipboardItem>& lastCopiedItem() const { return m_lastCopiedItem; }

    /// The item a clipboard holding this snapshot yields: file URLs first, then non-blank text
    /// with its rich forms, then image bytes. None for concealed or unusable contents.
    static std::optional<ClipboardItem> candidateFrom(const ClipboardSnapshot& snapshot);

private:
    QPointer<ClipboardHistory> m_history;
    ClipboardService& m_clipboard;
    QTimer* m_timer = nullptr;
    std::optional<ClipboardItem> m_lastCopiedItem;
    // The candidate built from the last transfer, and the change count it was read at.
    std::optional<ClipboardItem> m_cachedCandidate;
    quint64 m_cachedChangeCount = 0;
    bool m_hasCache = false;
};

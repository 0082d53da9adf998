#pragma once

#include <algorithm>
#include <functional>
#include <optional>

#include <QDateTime>
#include <QObject>
#include <QStringList>
#include <QTimer>

class ClipboardItem;

/// What the monitor may capture: not while paused, not copies made by an ignored application,
/// nothing larger than the size cap; and which texts hold secrets. The pause lives in memory
/// only; a pause for some minutes ends by itself at its time, announced by `pausedChanged`. GUI
/// thread only.
class CaptureGate : public QObject
{
    Q_OBJECT
public:
    using Clock = std::function<QDateTime()>;

    static constexpr int defaultMaxItemSizeMB = 50;
    static constexpr int minItemSizeMB = 1;
    static constexpr int maxItemSizeMB = 500;
    static constexpr int defaultSensitiveItemMinutes = 5;

    explicit CaptureGate(QObject* parent = nullptr);

    /// The one the running application's monitor and status menu share.
    static CaptureGate& shared();

    /// Replaces the clock that pauses are measured against (tests); a pause's end is timed anew.
    void setClock(Clock clock);

    /// Names compared without case; blank entries are dropped.
    void setIgnoredApplications(const QStringList& names);
    QStringList ignoredApplications() const { return m_ignored; }
    bool isIgnored(const std::optional<QString>& application) const;

    /// Clamped to 1..500.
    void setMaxItemSizeMB(int megabytes);
    qint64 maxItemBytes() const { return qint64(m_maxItemSizeMB) << 20; }

    /// Kinds of secrets (SensitiveText ids) that are captured like any other text.
    void setDisabledSensitiveKinds(const QStringList& ids) { m_disabledSensitiveKinds = ids; }
    QStringList disabledSensitiveKinds() const { return m_disabledSensitiveKinds; }
    /// How long a text holding a secret is kept; 0: not captured at all. Negative counts as 0.
    void setSensitiveItemMinutes(int minutes) { m_sensitiveItemMinutes = std::max(0, minutes); }
    int sensitiveItemMinutes() const { return m_sensitiveItemMinutes; }

    /// Pauses for `minutes`, or until resume() when none. A later call replaces the pause.
    void pause(std::optional<int> minutes = std::nullopt);
    void resume();
    /// Ends a pause whose time is up, announcing it.
    bool isPaused();
    /// When the pause ends by itself; none while not paused or paused until resumed.
    std::optional<QDateTime> pausedUntil() const { return m_until; }

    /// Decides for one copy. A refusal for its size prints one line naming kind and size.
    bool admits(const ClipboardItem& item, const std::optional<QString>& application);

    /// Marks a text that holds a secret as sensitive. False when such a text is not to be
    /// captured at all.
    bool screenSecrets(ClipboardItem& item) const;

    /// What the history would hold of the item, in bytes.
    static qint64 itemBytes(const ClipboardItem& item);

Q_SIGNALS:
    void pausedChanged(bool paused);

private:
    void armEnd();

    Clock m_clock;
    // Runs only while a pause with an end is on.
    QTimer m_end;
    QStringList m_ignored;
    int m_maxItemSizeMB = defaultMaxItemSizeMB;
    QStringList m_disabledSensitiveKinds;
    int m_sensitiveItemMinutes = defaultSensitiveItemMinutes;
    bool m_paused = false;
    std::optional<QDateTime> m_until;
};

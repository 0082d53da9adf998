#pragma once

#include <memory>
#include <optional>
#include <variant>

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QUrl>
#include <QUuid>

#include "history/SensitiveText.h"

/// The payload of a history entry. The case order is fixed: other code uses it as an index.
enum class ClipboardItemKind
{
    Text = 0,
    File = 1,
    FileGroup = 2,
    Image = 3
};

class ClipboardItemType
{
public:
    static ClipboardItemType text(QString text);
    static ClipboardItemType file(QUrl url);
    static ClipboardItemType fileGroup(QList<QUrl> urls);
    static ClipboardItemType image(QByteArray bytes);

    ClipboardItemKind kind() const { return static_cast<ClipboardItemKind>(m_value.index()); }

    /// Accessors for the payload; each is valid only for its own kind.
    const QString& text() const { return std::get<QString>(m_value); }
    const QUrl& fileURL() const { return std::get<QUrl>(m_value); }
    const QList<QUrl>& fileURLs() const { return std::get<QList<QUrl>>(m_value); }
    const QByteArray& imageData() const { return std::get<QByteArray>(m_value); }

    /// Same kind and equal payload; file groups compare element by element, in order.
    bool operator==(const ClipboardItemType& other) const;
    /// The repeat test of the history: file groups compare as sets.
    bool hasSameContent(const ClipboardItemType& other) const;
    /// "https://<host>/favicon.ico" for a text that is an http(s) URL with a host.
    std::optional<QUrl> faviconURL() const;

private:
    using Value = std::variant<QString, QUrl, QList<QUrl>, QByteArray>;
    explicit ClipboardItemType(Value value) : m_value(std::move(value)) {}
    /// GUI thread only, as the history's comparisons are.
    const QString& normalizedText() const;

    Value m_value;
    std::shared_ptr<std::optional<QString>> m_normalized; // texts only: their normal form, once known
};

/// One history entry. A value type: the history holds its own copies, and the payload's
/// buffers are implicitly shared, so copies are cheap.
class ClipboardItem
{
public:
    /// Seconds between 1970-01-01 and 2001-01-01, the reference date of `date`.
    static constexpr double referenceDateOffset = 978307200.0;

    /// A new capture: fresh random id, the current time, not pinned.
    explicit ClipboardItem(ClipboardItemType type, std::optional<QByteArray> richTextRTF = std::nullopt,
                           std::optional<QByteArray> richTextHTML = std::nullopt);
    /// Every field given, as read back from the history file.
    ClipboardItem(QUuid id, ClipboardItemType type, double date, bool isPinned,
                  std::optional<QByteArray> richTextRTF, std::optional<QByteArray> richTextHTML);

    QUuid id() const { return m_id; }
    const ClipboardItemType& type() const { return m_type; }
    /// Seconds since 2001-01-01 00:00:00 UTC.
    double date() const { return m_date; }
    QDateTime dateTime() const;
    bool isPinned() const { return m_isPinned; }
    void setPinned(bool pinned) { m_isPinned = pinned; }
    const std::optional<QByteArray>& richTextRTF() const { return m_richTextRTF; }
    void setRichTextRTF(std::optional<QByteArray> rtf) { m_richTextRTF = std::move(rtf); }
    const std::optional<QByteArray>& richTextHTML() const { return m_richTextHTML; }

    /// A text holding a secret: kept in memory only (never written to the history file), shown
    /// masked. Not part of the item's equality.
    const std::optional<SensitiveText::Match>& sensitive() const { return m_sensitive; }
    bool isSensitive() const { return m_sensitive.has_value(); }
    void setSensitive(std::optional<SensitiveText::Match> match) { m_sensitive = std::move(match); }

    bool hasSameContent(const ClipboardItem& other) const { return m_type.hasSameContent(other.m_type); }
    /// All six fields equal.
    bool operator==(const ClipboardItem& other) const;

    /// The current time in seconds since the reference date.
    static double now();

private:
    QUuid m_id;
    ClipboardItemType m_type;
    double m_date = 0;
    bool m_isPinned = false;
    std::optional<QByteArray> m_richTextRTF;
    std::optional<QByteArray> m_richTextHTML;
    std::optional<SensitiveText::Match> m_sensitive;
};

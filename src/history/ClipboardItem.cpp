#include "history/ClipboardItem.h"

#include <chrono>

#include <QSet>

ClipboardItemType ClipboardItemType::text(QString text)
{
    ClipboardItemType type(Value(std::move(text)));
    type.m_normalized = std::make_shared<std::optional<QString>>();
    return type;
}

// Canonically equivalent Unicode sequences (a precomposed "é" and "e" + combining accent) are
// the same text. The normal form is computed at most once per captured text, on the first
// comparison the plain one does not settle, and shared by the item's copies: comparing a large
// text with every entry of the history must not normalise it again each time.
const QString& ClipboardItemType::normalizedText() const
{
    if (!m_normalized)
        return text();
    if (!*m_normalized)
        *m_normalized = text().normalized(QString::NormalizationForm_C);
    return **m_normalized;
}

ClipboardItemType ClipboardItemType::file(QUrl url)
{
    return ClipboardItemType(Value(std::move(url)));
}

ClipboardItemType ClipboardItemType::fileGroup(QList<QUrl> urls)
{
    return ClipboardItemType(Value(std::move(urls)));
}

ClipboardItemType ClipboardItemType::image(QByteArray bytes)
{
    return ClipboardItemType(Value(std::move(bytes)));
}

bool ClipboardItemType::operator==(const ClipboardItemType& other) const
{
    if (kind() != other.kind())
        return false;
    if (kind() == ClipboardItemKind::Text)
        return text() == other.text() || normalizedText() == other.normalizedText();
    return m_value == other.m_value;
}

bool ClipboardItemType::hasSameContent(const ClipboardItemType& other) const
{
    if (kind() != other.kind())
        return false;
    // Every offer repeats the clipboard's payload, sharing the buffers of the entry it
    // already made: a shared buffer is equal without a look at its megabytes or ten thousand URLs.
    switch (kind()) {
    case ClipboardItemKind::Text:
        if (text().constData() == other.text().constData() && text().size() == other.text().size())
            return true;
        break;
    case ClipboardItemKind::FileGroup:
        if (fileURLs().constData() == other.fileURLs().constData() &&
            fileURLs().size() == other.fileURLs().size())
            return true;
        break;
    case ClipboardItemKind::Image:
        if (imageData().constData() == other.imageData().constData() &&
            imageData().size() == other.imageData().size())
            return true;
        break;
    case ClipboardItemKind::File:
        break;
    }
    if (kind() == ClipboardItemKind::FileGroup) {
        const QSet<QUrl> mine(fileURLs().cbegin(), fileURLs().cend());
        const QSet<QUrl> theirs(other.fileURLs().cbegin(), other.fileURLs().cend());
        return mine == theirs;
    }
    return *this == other;
}

std::optional<QUrl> ClipboardItemType::faviconURL() const
{
    if (kind() != ClipboardItemKind::Text)
        return std::nullopt;
    const QUrl url(text(), QUrl::StrictMode);
    if (!url.isValid() || !url.scheme().startsWith(u"http") || url.host().isEmpty())
        return std::nullopt;
    QUrl favicon;
    favicon.setScheme(QStringLiteral("https"));
    favicon.setHost(url.host());
    favicon.setPath(QStringLiteral("/favicon.ico"));
    return favicon;
}

ClipboardItem::ClipboardItem(ClipboardItemType type, std::optional<QByteArray> richTextRTF,
                             std::optional<QByteArray> richTextHTML)
    : ClipboardItem(QUuid::createUuid(), std::move(type), now(), false, std::move(richTextRTF),
                    std::move(richTextHTML))
{
}

ClipboardItem::ClipboardItem(QUuid id, ClipboardItemType type, double date, bool isPinned,
                             std::optional<QByteArray> richTextRTF, std::optional<QByteArray> richTextHTML)
    : m_id(id), m_type(std::move(type)), m_date(date), m_isPinned(isPinned),
      m_richTextRTF(std::move(richTextRTF)), m_richTextHTML(std::move(richTextHTML))
{
}

QDateTime ClipboardItem::dateTime() const
{
    return QDateTime::fromMSecsSinceEpoch(qint64((m_date + referenceDateOffset) * 1000.0), Qt::UTC);
}

bool ClipboardItem::operator==(const ClipboardItem& other) const
{
    return m_id == other.m_id && m_type == other.m_type && m_date == other.m_date &&
           m_isPinned == other.m_isPinned && m_richTextRTF == other.m_richTextRTF &&
           m_richTextHTML == other.m_richTextHTML;
}

double ClipboardItem::now()
{
    using namespace std::chrono;
    const auto micros = duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
    return double(micros) / 1e6 - referenceDateOffset;
}

#include "platform/fake/FakeClipboardService.h"

#include <QBuffer>

ClipboardSnapshot FakeClipboardService::read()
{
    ++m_readCount;
    return m_snapshot;
}

void FakeClipboardService::write(const ClipboardContent& content)
{
    ++m_writeCount;
    m_lastWritten = content;
    // What another application, and the monitor, would read back.
    ClipboardSnapshot snapshot;
    for (const auto& [format, bytes] : content.formats) {
        if (format == u"text/plain")
            snapshot.text = QString::fromUtf8(bytes);
        else if (format == u"text/rtf")
            snapshot.rtf = bytes;
        else if (format == u"text/html")
            snapshot.html = bytes;
        else if (format == u"text/uri-list") {
            for (const QByteArray& line : bytes.split('\n')) {
                if (!line.trimmed().isEmpty())
                    snapshot.uriList.append(QString::fromUtf8(line.trimmed()));
            }
        } else if (format == u"image/png" && !snapshot.image)
            snapshot.image = bytes;
    }
    if (content.image && !snapshot.image) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        content.image->save(&buffer, "PNG");
        snapshot.image = png;
    }
    setSnapshot(snapshot);
}

void FakeClipboardService::watch(SnapshotHandler handler)
{
    m_handler = std::move(handler);
    if (m_handler) {
        ++m_readCount;
        const ClipboardSnapshot current = m_snapshot;
        m_handler(current, false);
    }
}

void FakeClipboardService::setSnapshot(const ClipboardSnapshot& snapshot)
{
    m_snapshot = snapshot;
    ++m_changeCount;
    if (m_handler) {
        ++m_readCount;
        // Copies: the handler may replace both while it runs.
        const SnapshotHandler handler = m_handler;
        const ClipboardSnapshot current = m_snapshot;
        handler(current, true);
    }
}

#include "platform/x11/X11ClipboardService.h"

#include <algorithm>

#include <QBuffer>
#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMimeData>

#include "platform/ClipboardSnapshotBuilder.h"
#include "platform/QtClipboardWriter.h"
#include "platform/x11/XcbClipboardReader.h"

namespace {

// A request that comes back empty after this long was not answered: QClipboard gave up on it.
constexpr qint64 unansweredRequestMs = 1000;

const QString uriListFormat = QStringLiteral("text/uri-list");
const QString plainTextFormat = QStringLiteral("text/plain");
const QString htmlFormat = QStringLiteral("text/html");
const QString concealedFormat = QStringLiteral("x-kde-passwordManagerHint");

// Reads formats one by one. Each request to another application may wait for QClipboard's
// selection timeout; once one request went unanswered the owner is taken as hung and nothing
// more is asked, so a read blocks for at most one timeout.
class BoundedReader
{
public:
    BoundedReader(const QMimeData& mime, QStringList formats) : m_mime(mime), m_formats(std::move(formats)) {}

    bool offers(const QString& format) const { return m_formats.contains(format); }

    std::optional<QByteArray> data(const QString& format)
    {
        if (m_ownerHung || !offers(format))
            return std::nullopt;
        QElapsedTimer timer;
        timer.start();
        QByteArray bytes = m_mime.data(format);
        noteAnswer(bytes.isEmpty(), timer);
        if (m_ownerHung)
            return std::nullopt;
        return bytes;
    }

    // QMimeData makes up a text from a URL list; only a text the owner offers counts.
    bool offersText() const
    {
        return std::any_of(m_formats.cbegin(), m_formats.cend(),
                           [](const QString& format) { return format.startsWith(plainTextFormat); });
    }

    std::optional<QString> text()
    {
        if (m_ownerHung || !offersText())
            return std::nullopt;
        QElapsedTimer timer;
        timer.start();
        QString text = m_mime.text();
        noteAnswer(text.isEmpty(), timer);
        if (m_ownerHung)
            return std::nullopt;
        return text;
    }

private:
    void noteAnswer(bool empty, const QElapsedTimer& timer)
    {
        if (empty && timer.elapsed() >= unansweredRequestMs)
            m_ownerHung = true;
    }

    const QMimeData& m_mime;
    QStringList m_formats;
    bool m_ownerHung = false;
};

} // namespace

X11ClipboardService::X11ClipboardService(QObject* parent) : QObject(parent)
{
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, [this] { ++m_changeCount; });
}

X11ClipboardService::~X11ClipboardService() = default;

void X11ClipboardService::watch(SnapshotHandler handler)
{
    // A new reader delivers the current contents to the new handler first.
    m_reader.reset();
    if (handler)
        m_reader = std::make_unique<XcbClipboardReader>(std::move(handler));
}

ClipboardSnapshot X11ClipboardService::read()
{
    ClipboardSnapshot snapshot;
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
    if (!mime)
        return snapshot;
    // One TARGETS request for another owner; an owner that does not answer it offers nothing.
    const QStringList formats = mime->formats();
    if (formats.isEmpty())
        return snapshot;
    BoundedReader reader(*mime, formats);

    if (reader.offers(concealedFormat)) {
        const auto hint = reader.data(concealedFormat);
        if (hint && hint->trimmed() == "secret") {
            snapshot.concealed = true;
            return snapshot;
        }
    }
    if (const auto uris = reader.data(uriListFormat))
        snapshot.uriList = ClipboardSnapshotBuilder::uriListEntries(*uris);
    snapshot.text = reader.text();
    snapshot.rtf = reader.data(QStringLiteral("text/rtf"));
    if (!snapshot.rtf)
        snapshot.rtf = reader.data(QStringLiteral("application/rtf"));
    snapshot.html = reader.data(htmlFormat);
    for (const char* type : {"png", "tiff", "jpeg", "gif", "bmp", "webp"}) {
        snapshot.image = reader.data(QStringLiteral("image/") + QLatin1String(type));
        if (snapshot.image)
            break;
    }
    // Our own image objects are offered as a QImage only; hand them on as PNG bytes.
    if (!snapshot.image && mime->hasImage() && QGuiApplication::clipboard()->ownsClipboard()) {
        const QImage image = qvariant_cast<QImage>(mime->imageData());
        QByteArray png;
        if (!image.isNull()) {
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            image.save(&buffer, "PNG");
            snapshot.image = png;
        }
    }
    return snapshot;
}

void X11ClipboardService::write(const ClipboardContent& content)
{
    writeWithQtClipboard(QClipboard::Clipboard, content);
}

void X11ClipboardService::writePrimarySelection(const ClipboardContent& content)
{
    writeWithQtClipboard(QClipboard::Selection, content);
}

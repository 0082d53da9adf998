#include "panel/FileIconView.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QImageReader>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QScreen>
#include <QStandardPaths>
#include <QThreadPool>

#include "common/Console.h"
#include "panel/MainThreadRelay.h"
#include "panel/ScaledImage.h"
#include "panel/SymbolPainter.h"

namespace {

// The request asks for 64 × 64 points.
constexpr int thumbnailPoints = 64;

// The uncompressed text chunks of a PNG before its image data. Qt's reader splits keys at
// ':', which mangles the cache's "Thumb::MTime", so the chunks are read here.
QHash<QByteArray, QByteArray> pngTextChunks(const QByteArray& png)
{
    QHash<QByteArray, QByteArray> texts;
    qsizetype pos = 8; // signature
    while (pos + 12 <= png.size()) {
        const auto* p = reinterpret_cast<const uchar*>(png.constData() + pos);
        const quint32 length =
            (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | quint32(p[3]);
        const QByteArray type = png.mid(pos + 4, 4);
        if (length > quint32(png.size() - pos - 12) || type == "IDAT" || type == "IEND")
            break;
        if (type == "tEXt") {
            const QByteArray data = png.mid(pos + 8, length);
            const qsizetype nul = data.indexOf('\0');
            if (nul > 0)
                texts.insert(data.left(nul), data.mid(nul + 1));
        }
        pos += 12 + qsizetype(length);
    }
    return texts;
}

// A thumbnail another program left in the shared cache, if it still matches the file.
QImage cachedThumbnail(const QFileInfo& file, int pixelSize)
{
    const QByteArray uri = QUrl::fromLocalFile(file.absoluteFilePath()).toEncoded();
    const QString name = QString::fromLatin1(QCryptographicHash::hash(uri, QCryptographicHash::Md5).toHex()) +
                         QStringLiteral(".png");
    const QString root = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                         QStringLiteral("/thumbnails/");
    const QStringList folders = pixelSize > 128
                                    ? QStringList{QStringLiteral("large"), QStringLiteral("normal")}
                                    : QStringList{QStringLiteral("normal"), QStringLiteral("large")};
    const QString mtime = QString::number(file.lastModified().toSecsSinceEpoch());
    for (const QString& folder : folders) {
        QFile thumbnail(root + folder + u'/' + name);
        if (thumbnail.size() > 8 * 1024 * 1024 || !thumbnail.open(QIODevice::ReadOnly))
            continue;
        QByteArray bytes = thumbnail.readAll();
        // A thumbnail of an older version of the file, or of another file, is stale.
        const QHash<QByteArray, QByteArray> texts = pngTextChunks(bytes);
        if (texts.value("Thumb::MTime") != mtime.toLatin1() || texts.value("Thumb::URI") != uri)
            continue;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer, "png");
        QImage image = readScaledImage(reader, QSize(pixelSize, pixelSize));
        if (!image.isNull())
            return image;
    }
    return {};
}

QThreadPool* makePool()
{
    auto* pool = new QThreadPool;
    pool->setMaxThreadCount(2);
    return pool;
}

} // namespace

FileThumbnailer::FileThumbnailer(QObject* parent)
    : QObject(parent), m_relay(std::make_shared<MainThreadRelay>(this)), m_pool(makePool())
{
}

FileThumbnailer::~FileThumbnailer()
{
    m_relay->detach();
    m_pool->clear();
    m_pool->waitForDone();
}

qreal FileThumbnailer::backingScale()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        return screen->devicePixelRatio();
    return 2.0;
}

FileThumbnailer::Result FileThumbnailer::makeThumbnail(const QString& path, int pixelSize)
{
    const QFileInfo file(path);
    if (!file.exists())
        return {{}, QStringLiteral("O arquivo não existe")};
    QImageReader reader(path);
    if (reader.canRead()) {
        QString error;
        QImage image = readScaledImage(reader, QSize(pixelSize, pixelSize), &error);
        if (image.isNull())
            return {{}, error};
        return {std::move(image), {}};
    }
    return {cachedThumbnail(file, pixelSize), {}};
}

FileThumbnailer::State FileThumbnailer::state(const QUrl& fileURL)
{
    auto it = m_states.constFind(fileURL);
    if (it == m_states.constEnd()) {
        generateThumbnail(fileURL);
        it = m_states.constFind(fileURL);
    }
    return it == m_states.constEnd() ? State{} : *it;
}

void FileThumbnailer::generateThumbnail(const QUrl& fileURL)
{
    State& state = m_states[fileURL];
    if (state.failedToLoadThumbnail || state.pending)
        return;
    state.pending = true;
    ++m_pendingCount;
    const int pixelSize = qRound(thumbnailPoints * backingScale());
    const QString path = fileURL.toLocalFile();
    std::shared_ptr<MainThreadRelay> relay = m_relay;
    m_pool->start([this, relay, fileURL, path, pixelSize] {
        Result result = path.isEmpty() ? Result{{}, QStringLiteral("Endereço não é um arquivo local")}
                                       : makeThumbnail(path, pixelSize);
        // Runs on the GUI thread, and only while this thumbnailer exists.
        relay->post([this, fileURL, result] { finish(fileURL, result); });
    });
}

void FileThumbnailer::finish(const QUrl& fileURL, const Result& result)
{
    --m_pendingCount;
    auto it = m_states.find(fileURL);
    if (it == m_states.end())
        return; // forgotten meanwhile
    it->pending = false;
    if (!result.image.isNull()) {
        it->thumbnail = result.image;
        it->thumbnail.setDevicePixelRatio(backingScale());
    } else {
        it->failedToLoadThumbnail = true;
        if (!result.error.isEmpty())
            ovelin::printLine(QStringLiteral("⚠️ Falha ao gerar thumbnail para imagem ") +
                              fileURL.fileName() + QStringLiteral(": ") + result.error);
    }
    Q_EMIT thumbnailChanged(fileURL);
}

void FileThumbnailer::forgetFailures()
{
    for (auto it = m_states.begin(); it != m_states.end();) {
        if (it->failedToLoadThumbnail)
            it = m_states.erase(it);
        else
            ++it;
    }
}

void FileThumbnailer::retainOnly(const QSet<QUrl>& fileURLs)
{
    for (auto it = m_states.begin(); it != m_states.end();) {
        if (!fileURLs.contains(it.key()))
            it = m_states.erase(it);
        else
            ++it;
    }
}

void FileThumbnailer::waitForIdle()
{
    m_pool->waitForDone();
    QCoreApplication::sendPostedEvents(this);
}

namespace FileIconView {

const QStringList& imageExtensions()
{
    static const QStringList extensions{QStringLiteral("png"), QStringLiteral("jpg"), QStringLiteral("jpeg"),
                                        QStringLiteral("gif"), QStringLiteral("heic")};
    return extensions;
}

QString iconNameForExtension(const QString& lowercasedExtension)
{
    if (lowercasedExtension == u"pdf")
        return QStringLiteral("doc.richtext");
    if (lowercasedExtension == u"txt" || lowercasedExtension == u"md")
        return QStringLiteral("text.alignleft");
    return QStringLiteral("doc");
}

Display displayFor(const QUrl& fileURL, const FileThumbnailer::State& state)
{
    if (!state.thumbnail.isNull())
        return Display::Thumbnail;
    const QString ext = QFileInfo(fileURL.path()).suffix().toLower();
    if (imageExtensions().contains(ext))
        return state.failedToLoadThumbnail ? Display::PhotoFallback : Display::Spinner;
    return Display::ExtensionSymbol;
}

namespace {

void paintSymbolTile(QPainter* painter, const QRectF& rect, const QString& symbol, const QPalette& palette)
{
    // A 24-point symbol with 8 points of padding on a faint rounded square.
    const qreal side = std::min<qreal>(40, std::min(rect.width(), rect.height()));
    const QRectF box(rect.center().x() - side / 2, rect.center().y() - side / 2, side, side);
    QColor fill = Qt::gray;
    fill.setAlphaF(0.2f);
    painter->setPen(Qt::NoPen);
    painter->setBrush(fill);
    painter->drawRoundedRect(box, 8 * side / 40, 8 * side / 40);
    const qreal inner = side * 24 / 40;
    SymbolPainter::paint(painter,
                         QRectF(box.center().x() - inner / 2, box.center().y() - inner / 2, inner, inner),
                         symbol, palette.color(QPalette::Text));
}

} // namespace

void paint(QPainter* painter, const QRectF& rect, const QUrl& fileURL, const FileThumbnailer::State& state,
           qreal spinnerPhase, const QPalette& palette)
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    const qreal side = std::min<qreal>(32, std::min(rect.width(), rect.height()));
    const QRectF square(rect.center().x() - side / 2, rect.center().y() - side / 2, side, side);
    switch (displayFor(fileURL, state)) {
    case Display::Thumbnail: {
        const QSizeF imageSize = QSizeF(state.thumbnail.size()) / state.thumbnail.devicePixelRatio();
        const QSizeF fitted = imageSize.scaled(square.size(), Qt::KeepAspectRatioByExpanding);
        const QRectF target(square.center().x() - fitted.width() / 2,
                            square.center().y() - fitted.height() / 2, fitted.width(), fitted.height());
        QPainterPath clip;
        clip.addRoundedRect(square, 6, 6);
        painter->setClipPath(clip, Qt::IntersectClip);
        painter->drawImage(target, state.thumbnail);
        break;
    }
    case Display::PhotoFallback:
        paintSymbolTile(painter, rect, QStringLiteral("photo"), palette);
        break;
    case Display::Spinner: {
        const qreal r = side * 0.3;
        QPen pen(palette.color(QPalette::PlaceholderText), std::max<qreal>(2, side / 12.0));
        pen.setCapStyle(Qt::RoundCap);
        painter->setPen(pen);
        const QRectF arc(square.center().x() - r, square.center().y() - r, 2 * r, 2 * r);
        painter->drawArc(arc, qRound(-spinnerPhase * 360 * 16), 270 * 16);
        break;
    }
    case Display::ExtensionSymbol:
        paintSymbolTile(painter, rect, iconNameForExtension(QFileInfo(fileURL.path()).suffix().toLower()),
                        palette);
        break;
    }
    painter->restore();
}

} // namespace FileIconView

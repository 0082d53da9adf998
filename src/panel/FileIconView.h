#pragma once

#include <memory>

#include <QHash>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUrl>

class QPainter;
class QPalette;
class QRectF;
class QThreadPool;
class MainThreadRelay;

/// Thumbnails of files for the previews, made on worker threads. Image files are decoded and
/// scaled with QImageReader; other files come from the freedesktop thumbnail cache when it
/// holds a fresh entry; anything else fails and the preview shows a symbol.
/// One instance per list; the state of a file is kept until `forgetFailures`, until the file
/// leaves the history (`retainOnly`) or until destruction.
class FileThumbnailer : public QObject
{
    Q_OBJECT
public:
    struct State
    {
        QImage thumbnail;
        bool failedToLoadThumbnail = false;
        bool pending = false;
    };

    struct Result
    {
        QImage image;
        QString error; ///< empty when the failure came without an error
    };

    explicit FileThumbnailer(QObject* parent = nullptr);
    ~FileThumbnailer() override;

    /// The state for `fileURL`; the first call for a file starts `generateThumbnail`.
    State state(const QUrl& fileURL);
    void generateThumbnail(const QUrl& fileURL);
    /// Files whose thumbnail failed get a new request the next time they are shown.
    void forgetFailures();
    /// Forgets every file but these (the files the history still holds).
    void retainOnly(const QSet<QUrl>& fileURLs);
    bool hasPendingRequests() const { return m_pendingCount > 0; }
    /// Blocks until every started request has delivered its result (tests, benchmarks).
    void waitForIdle();

    /// The backing scale of the primary screen, 2.0 without one.
    static qreal backingScale();
    /// The synchronous work of one request: a `pixelSize` square at most.
    static Result makeThumbnail(const QString& path, int pixelSize);

Q_SIGNALS:
    void thumbnailChanged(const QUrl& fileURL);

private:
    void finish(const QUrl& fileURL, const Result& result);

    QHash<QUrl, State> m_states;
    int m_pendingCount = 0;
    std::shared_ptr<MainThreadRelay> m_relay;
    std::unique_ptr<QThreadPool> m_pool;
};

/// The square preview of one file: thumbnail, spinner, or a symbol by extension.
namespace FileIconView {

enum class Display
{
    Thumbnail,
    PhotoFallback,
    Spinner,
    ExtensionSymbol
};

/// "png", "jpg", "jpeg", "gif", "heic".
const QStringList& imageExtensions();
/// The symbol for a lowercased extension: "pdf" gives "doc.richtext", "txt" and "md" give
/// "text.alignleft", everything else "doc".
QString iconNameForExtension(const QString& lowercasedExtension);
Display displayFor(const QUrl& fileURL, const FileThumbnailer::State& state);
/// Paints the preview centred in `rect`; `spinnerPhase` (0..1) turns the spinner.
void paint(QPainter* painter, const QRectF& rect, const QUrl& fileURL, const FileThumbnailer::State& state,
           qreal spinnerPhase, const QPalette& palette);

} // namespace FileIconView

#include "history/CaptureGate.h"

#include <algorithm>
#include <utility>

#include <QCoreApplication>

#include "common/Console.h"
#include "history/ClipboardItem.h"

namespace {

qint64 utf8Bytes(const QString& text)
{
    qint64 bytes = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        // A surrogate pair is four bytes in UTF-8: two for each half.
        bytes += u < 0x80 ? 1 : (u < 0x800 || c.isSurrogate()) ? 2 : 3;
    }
    return bytes;
}

QString kindName(ClipboardItemKind kind)
{
    switch (kind) {
    case ClipboardItemKind::Text:
        return QStringLiteral("texto");
    case ClipboardItemKind::Image:
        return QStringLiteral("imagem");
    case ClipboardItemKind::File:
        return QStringLiteral("arquivo");
    case ClipboardItemKind::FileGroup:
        return QStringLiteral("grupo de arquivos");
    }
    return {};
}

} // namespace

CaptureGate::CaptureGate(QObject* parent)
    : QObject(parent), m_clock([] { return QDateTime::currentDateTimeUtc(); })
{
    m_end.setSingleShot(true);
    connect(&m_end, &QTimer::timeout, this, [this] {
        // Early when the wall clock was set back meanwhile: wait for the rest.
        if (isPaused())
            armEnd();
    });
    // The shared gate outlives the event loop.
    if (auto* app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, &m_end, &QTimer::stop);
}

void CaptureGate::armEnd()
{
    m_end.stop();
    if (!m_paused || !m_until)
        return;
    const qint64 left = m_clock().msecsTo(*m_until);
    // The minimum keeps a clock that stands still (tests) from spinning here.
    m_end.start(int(std::clamp<qint64>(left, 1000, 24 * 3600 * 1000)));
}

CaptureGate& CaptureGate::shared()
{
    static CaptureGate gate;
    return gate;
}

void CaptureGate::setClock(Clock clock)
{
    m_clock = std::move(clock);
    armEnd();
}

void CaptureGate::setIgnoredApplications(const QStringList& names)
{
    m_ignored.clear();
    for (const QString& name : names) {
        if (!name.trimmed().isEmpty())
            m_ignored.append(name.trimmed());
    }
}

bool CaptureGate::isIgnored(const std::optional<QString>& application) const
{
    return application && m_ignored.contains(application->trimmed(), Qt::CaseInsensitive);
}

void CaptureGate::setMaxItemSizeMB(int megabytes)
{
    m_maxItemSizeMB = std::clamp(megabytes, minItemSizeMB, maxItemSizeMB);
}

void CaptureGate::pause(std::optional<int> minutes)
{
    m_until.reset();
    if (minutes)
        m_until = m_clock().addSecs(qint64(std::max(*minutes, 1)) * 60);
    const bool wasPaused = std::exchange(m_paused, true);
    armEnd();
    if (!wasPaused)
        Q_EMIT pausedChanged(true);
}

void CaptureGate::resume()
{
    m_until.reset();
    m_end.stop();
    if (m_paused) {
        m_paused = false;
        Q_EMIT pausedChanged(false);
    }
}

bool CaptureGate::isPaused()
{
    if (m_paused && m_until && m_clock() >= *m_until)
        resume();
    return m_paused;
}

qint64 CaptureGate::itemBytes(const ClipboardItem& item)
{
    const ClipboardItemType& type = item.type();
    switch (type.kind()) {
    case ClipboardItemKind::Text:
        return utf8Bytes(type.text()) + (item.richTextRTF() ? item.richTextRTF()->size() : 0) +
               (item.richTextHTML() ? item.richTextHTML()->size() : 0);
    case ClipboardItemKind::Image:
        return type.imageData().size();
    case ClipboardItemKind::File:
        return type.fileURL().toEncoded().size();
    case ClipboardItemKind::FileGroup: {
        qint64 bytes = 0;
        for (const QUrl& url : type.fileURLs())
            bytes += url.toEncoded().size();
        return bytes;
    }
    }
    return 0;
}

bool CaptureGate::admits(const ClipboardItem& item, const std::optional<QString>& application)
{
    if (isPaused() || isIgnored(application))
        return false;
    // A text takes one to three UTF-8 bytes per UTF-16 unit: count them only when it matters.
    if (item.type().kind() == ClipboardItemKind::Text) {
        const qint64 rich = (item.richTextRTF() ? item.richTextRTF()->size() : 0) +
                            (item.richTextHTML() ? item.richTextHTML()->size() : 0);
        if (3 * qint64(item.type().text().size()) + rich <= maxItemBytes())
            return true;
    }
    const qint64 bytes = itemBytes(item);
    if (bytes <= maxItemBytes())
        return true;
    ovelin::printLine(QStringLiteral("⚠️ Cópia não capturada: %1 de %2 MB, acima do limite de %3 MB")
                          .arg(kindName(item.type().kind()))
                          .arg(double(bytes) / (1 << 20), 0, 'f', 1)
                          .arg(m_maxItemSizeMB));
    return false;
}

bool CaptureGate::screenSecrets(ClipboardItem& item) const
{
    if (item.type().kind() != ClipboardItemKind::Text)
        return true;
    item.setSensitive(SensitiveText::find(item.type().text(), m_disabledSensitiveKinds));
    return !item.isSensitive() || m_sensitiveItemMinutes > 0;
}

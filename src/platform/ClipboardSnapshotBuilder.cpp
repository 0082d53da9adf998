#include "platform/ClipboardSnapshotBuilder.h"

#include "common/Console.h"

namespace ClipboardSnapshotBuilder {

namespace {

using Outcome = ClipboardTransfer::Outcome;

class Reader
{
public:
    Reader(ClipboardTransfer& transfer, QStringList formats)
        : m_transfer(transfer), m_formats(std::move(formats))
    {
    }

    bool stopped() const { return m_stopped; }

    std::optional<QByteArray> data(const QString& format)
    {
        Q_ASSERT(wantedFormats().contains(format));
        if (m_stopped || !m_formats.contains(format))
            return std::nullopt;
        ClipboardTransfer::Result result = m_transfer.fetch(format);
        switch (result.outcome) {
        case Outcome::Done:
            return std::move(result.bytes);
        case Outcome::Refused:
            return std::nullopt;
        case Outcome::TooLarge:
            ovelin::printLine(
                QStringLiteral(
                    "⚠️ Formato “%1” da área de transferência ignorado: maior que %2 MiB")
                    .arg(format)
                    .arg(ClipboardTransfer::maxFormatBytes >> 20));
            return std::nullopt;
        case Outcome::TimedOut:
            ovelin::printLine(
                QStringLiteral(
                    "⚠️ A aplicação dona da área de transferência não respondeu (formato “%1”)")
                    .arg(format));
            m_stopped = true;
            return std::nullopt;
        case Outcome::Interrupted:
            m_stopped = true;
            return std::nullopt;
        }
        return std::nullopt;
    }

    // The first of `formats` that is offered and transferred.
    std::optional<QByteArray> first(std::initializer_list<const char*> formats)
    {
        for (const char* format : formats) {
            if (auto bytes = data(QString::fromLatin1(format)))
                return bytes;
        }
        return std::nullopt;
    }

private:
    ClipboardTransfer& m_transfer;
    QStringList m_formats;
    bool m_stopped = false;
};

} // namespace

const QStringList& wantedFormats()
{
    static const QStringList formats{
        QStringLiteral("x-kde-passwordManagerHint"),
        QStringLiteral("text/uri-list"),
        QStringLiteral("text/plain;charset=utf-8"),
        QStringLiteral("UTF8_STRING"),
        QStringLiteral("text/plain"),
        QStringLiteral("STRING"),
        QStringLiteral("text/rtf"),
        QStringLiteral("application/rtf"),
        QStringLiteral("text/html"),
        QStringLiteral("image/png"),
        QStringLiteral("image/tiff"),
        QStringLiteral("image/jpeg"),
        QStringLiteral("image/gif"),
        QStringLiteral("image/bmp"),
        QStringLiteral("image/webp"),
    };
    return formats;
}

QStringList uriListEntries(const QByteArray& bytes)
{
    QStringList entries;
    for (QByteArray line : bytes.split('\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        entries.append(QString::fromUtf8(line));
    }
    return entries;
}

ClipboardSnapshot build(ClipboardTransfer& transfer)
{
    ClipboardSnapshot snapshot;
    Outcome outcome = Outcome::Done;
    const std::optional<QStringList> formats = transfer.formats(&outcome);
    if (!formats) {
        if (outcome == Outcome::TimedOut)
            ovelin::printLine(
                QStringLiteral("⚠️ A aplicação dona da área de transferência não respondeu"));
        return snapshot;
    }
    Reader reader(transfer, *formats);

    if (const auto hint = reader.data(QStringLiteral("x-kde-passwordManagerHint"));
        hint && hint->trimmed() == "secret") {
        snapshot.concealed = true;
        return snapshot;
    }
    if (const auto uris = reader.data(QStringLiteral("text/uri-list")))
        snapshot.uriList = uriListEntries(*uris);
    // UTF-8 forms first; STRING is Latin-1 by definition.
    if (const auto utf8 = reader.first({"text/plain;charset=utf-8", "UTF8_STRING", "text/plain"}))
        snapshot.text = QString::fromUtf8(*utf8);
    else if (const auto latin1 = reader.data(QStringLiteral("STRING")))
        snapshot.text = QString::fromLatin1(*latin1);
    snapshot.rtf = reader.first({"text/rtf", "application/rtf"});
    snapshot.html = reader.data(QStringLiteral("text/html"));
    snapshot.image =
        reader.first({"image/png", "image/tiff", "image/jpeg", "image/gif", "image/bmp", "image/webp"});
    if (reader.stopped()) {
        // Half a snapshot from an owner that went away would be captured as something it never
        // offered (a caption without its image, text without its files).
        return {};
    }
    return snapshot;
}

} // namespace ClipboardSnapshotBuilder

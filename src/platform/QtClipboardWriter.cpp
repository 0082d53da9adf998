#include "platform/QtClipboardWriter.h"

#include <QGuiApplication>
#include <QMimeData>

void writeWithQtClipboard(QClipboard::Mode mode, const ClipboardContent& content)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (content.isEmpty()) {
        clipboard->clear(mode);
        return;
    }
    auto* mime = new QMimeData;
    for (const auto& [format, bytes] : content.formats)
        mime->setData(format, bytes);
    if (content.image)
        mime->setImageData(*content.image);
    clipboard->setMimeData(mime, mode); // the clipboard takes ownership
}

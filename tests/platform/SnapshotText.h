#pragma once

#include <QStringList>

#include "platform/ClipboardService.h"

namespace ovelin::test {

/// A snapshot in one line, for comparisons: "concealed", "empty", or its forms joined by '|'
/// ("uris=<a> <b>", "text=", "rtf=", "html=", "image=<base64>").
inline QString describe(const ClipboardSnapshot& snapshot)
{
    if (snapshot.concealed)
        return QStringLiteral("concealed");
    QStringList parts;
    if (!snapshot.uriList.isEmpty())
        parts << QStringLiteral("uris=") + snapshot.uriList.join(u' ');
    if (snapshot.text)
        parts << QStringLiteral("text=") + *snapshot.text;
    if (snapshot.rtf)
        parts << QStringLiteral("rtf=") + QString::fromUtf8(*snapshot.rtf);
    if (snapshot.html)
        parts << QStringLiteral("html=") + QString::fromUtf8(*snapshot.html);
    if (snapshot.image)
        parts << QStringLiteral("image=") + QString::fromLatin1(snapshot.image->toBase64());
    return parts.isEmpty() ? QStringLiteral("empty") : parts.join(u'|');
}

} // namespace ovelin::test

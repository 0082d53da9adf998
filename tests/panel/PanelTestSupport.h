#pragma once

#include <memory>

#include <QList>
#include <QStringList>
#include <QTemporaryDir>
#include <QUuid>

#include "history/ClipboardHistory.h"
#include "history/ClipboardStorage.h"
#include "panel/ItemActions.h"
#include "support/TestFiles.h"

namespace ovelin::test {

using namespace Qt::StringLiterals;

/// A history over a file in a temporary folder.
inline std::unique_ptr<ClipboardHistory> makeHistory(const QTemporaryDir& dir)
{
    return std::make_unique<ClipboardHistory>(
        ClipboardStorage::atPath(dir.filePath(QStringLiteral("clipboard_history.json"))));
}

/// Item actions that only record what they were asked to do, as "key a", "click plain:a" (a paste
/// of the text item "a", as plain text) or "copy a".
struct RecordedActions
{
    QStringList done;

    ItemActions actions()
    {
        ItemActions a;
        a.paste = [this](const ClipboardItem& item, PasteTrigger trigger, PasteFormat format) {
            done << (trigger == PasteTrigger::Keyboard ? u"key "_s : u"click "_s) +
                        (format == PasteFormat::PlainText ? u"plain:"_s : QString()) + item.type().text();
        };
        a.copyToPasteboard = [this](const ClipboardItem& item) { done << u"copy "_s + item.type().text(); };
        return a;
    }
};

inline ClipboardItem makeItem(ClipboardItemType type, double date)
{
    return ClipboardItem(QUuid::createUuid(), std::move(type), date, false, std::nullopt, std::nullopt);
}
inline ClipboardItem textItem(const QString& text, double date)
{
    return makeItem(ClipboardItemType::text(text), date);
}
inline ClipboardItem fileItem(const QString& path, double date)
{
    return makeItem(ClipboardItemType::file(QUrl::fromLocalFile(path)), date);
}
inline ClipboardItem groupItem(const QStringList& paths, double date)
{
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    return makeItem(ClipboardItemType::fileGroup(urls), date);
}
inline ClipboardItem imageItem(const QByteArray& bytes, double date)
{
    return makeItem(ClipboardItemType::image(bytes), date);
}

} // namespace ovelin::test

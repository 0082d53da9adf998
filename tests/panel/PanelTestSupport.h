#pragma once

#include <memory>

#include <QList>
#include <QTemporaryDir>
#include <QUuid>

#include "history/ClipboardHistory.h"
#include "history/ClipboardStorage.h"
#include "panel/ItemActions.h"
#include "support/TestFiles.h"

namespace ovelin::test {

/// A history over a file in a temporary folder.
inline std::unique_ptr<ClipboardHistory> makeHistory(const QTemporaryDir& dir)
{
    return std::make_unique<ClipboardHistory>(
        ClipboardStorage::atPath(dir.filePath(QStringLiteral("clipboard_history.json"))));
}

/// Item actions that only record what they were asked to do.
struct RecordedActions
{
    struct Paste
    {
        QUuid id;
        PasteTrigger trigger;
        PasteFormat format;
        QString text; // of a text item
    };
    QList<Paste> pastes;
    QList<QUuid> copies;

    ItemActions actions()
    {
        ItemActions a;
        a.paste = [this](const ClipboardItem& item, PasteTrigger trigger, PasteFormat format) {
            const bool isText = item.type().kind() == ClipboardItemKind::Text;
            pastes.append({item.id(), trigger, format, isText ? item.type().text() : QString()});
        };
        a.copyToPasteboard = [this](const ClipboardItem& item) { copies.append(item.id()); };
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

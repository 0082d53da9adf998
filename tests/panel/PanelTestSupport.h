#pragma once

#include <memory>

#include <QList>
#include <QTemporaryDir>
#include <QUuid>

#include "history/ClipboardHistory.h"
#include "history/ClipboardStorage.h"
#include "panel/ItemActions.h"

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
    };
    QList<Paste> pastes;
    QList<QUuid> copies;

    ItemActions actions()
    {
        ItemActions a;
        a.paste = [this](const ClipboardItem& item, PasteTrigger trigger) {
            pastes.append({item.id(), trigger});
        };
        a.copyToPasteboard = [this](const ClipboardItem& item) { copies.append(item.id()); };
        return a;
    }
};

inline ClipboardItem textItem(const QString& text, double date)
{
    return ClipboardItem(QUuid::createUuid(), ClipboardItemType::text(text), date, false, std::nullopt,
                         std::nullopt);
}

inline ClipboardItem fileItem(const QString& path, double date)
{
    return ClipboardItem(QUuid::createUuid(), ClipboardItemType::file(QUrl::fromLocalFile(path)), date, false,
                         std::nullopt, std::nullopt);
}

inline ClipboardItem groupItem(const QStringList& paths, double date)
{
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    return ClipboardItem(QUuid::createUuid(), ClipboardItemType::fileGroup(urls), date, false, std::nullopt,
                         std::nullopt);
}

inline ClipboardItem imageItem(const QByteArray& bytes, double date)
{
    return ClipboardItem(QUuid::createUuid(), ClipboardItemType::image(bytes), date, false, std::nullopt,
                         std::nullopt);
}

} // namespace ovelin::test

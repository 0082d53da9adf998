#pragma once

#include <QMenu>

class ClipboardItem;

/// A history row's menu: "copy_again", "pin_to_top" or "unpin", a divider, and "delete" unless
/// the row is the most recent unpinned one. A sensitive item offers "reveal_secret" or
/// "hide_secret" instead of "pin_to_top". Each action's objectName is its key.
class RowActionMenu : public QMenu
{
    Q_OBJECT
public:
    RowActionMenu(const ClipboardItem& item, bool isMostRecent, bool revealed, QWidget* parent = nullptr);

Q_SIGNALS:
    void copyAgainRequested();
    void togglePinRequested();
    void deleteRequested();
    void revealRequested(bool reveal);
};

#include "panel/RowActionMenu.h"

#include "history/ClipboardItem.h"
#include "panel/SymbolPainter.h"

RowActionMenu::RowActionMenu(const ClipboardItem& item, bool isMostRecent, bool revealed, QWidget* parent)
    : QMenu(parent)
{
    auto add = [this](const char* key, const char* symbol, auto signal) {
        QAction* action =
            addAction(QIcon(SymbolPainter::pixmap(QString::fromLatin1(symbol), QSize(16, 16),
                                                  palette().color(QPalette::Text), devicePixelRatioF())),
                      qtTrId(key));
        action->setObjectName(QString::fromLatin1(key));
        connect(action, &QAction::triggered, this, signal);
    };
    add("copy_again", "doc.on.doc", [this] { Q_EMIT copyAgainRequested(); });
    if (item.isSensitive()) {
        add(revealed ? "hide_secret" : "reveal_secret", revealed ? "eye.slash" : "eye",
            [this, revealed] { Q_EMIT revealRequested(!revealed); });
    }
    // A secret is forgotten after a few minutes: pinning would promise to keep it.
    if (item.isPinned())
        add("unpin", "pin.slash.fill", [this] { Q_EMIT togglePinRequested(); });
    else if (!item.isSensitive())
        add("pin_to_top", "pin.fill", [this] { Q_EMIT togglePinRequested(); });
    addSeparator();
    // The newest unpinned entry is what the clipboard holds now; deleting it from its row
    // would only bring it back at the next capture.
    if (!isMostRecent)
        add("delete", "trash.fill", [this] { Q_EMIT deleteRequested(); });
}

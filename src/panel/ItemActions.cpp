#include "panel/ItemActions.h"

#include "history/ClipboardItem.h"
#include "paste/PasteManager.h"
#include "paste/PasteSequence.h"

ItemActions ItemActions::standard()
{
    ItemActions actions;
    actions.paste = [](const ClipboardItem& item, PasteTrigger trigger, PasteFormat format) {
        PasteSequence::shared().paste(
            item, trigger == PasteTrigger::RowClick ? PasteOrigin::RowClick : PasteOrigin::Keyboard,
            format == PasteFormat::PlainText);
    };
    actions.copyToPasteboard = [](const ClipboardItem& item) {
        PasteManager::shared().copyToPasteboard(item);
    };
    return actions;
}

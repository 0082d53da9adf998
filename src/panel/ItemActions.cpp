#include "panel/ItemActions.h"

#include "history/ClipboardItem.h"
#include "paste/PasteManager.h"
#include "paste/PasteSequence.h"

ItemActions ItemActions::standard()
{
    ItemActions actions;
    actions.paste = [](const ClipboardItem& item, PasteTrigger trigger) {
        PasteSequence::shared().paste(item, trigger == PasteTrigger::RowClick ? PasteOrigin::RowClick
                                                                              : PasteOrigin::Keyboard);
    };
    actions.copyToPasteboard = [](const ClipboardItem& item) {
        PasteManager::shared().copyToPasteboard(item);
    };
    return actions;
}

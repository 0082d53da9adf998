#include "x11/X11ModifierMap.h"

#include <X11/Xlib.h>

namespace HotKeys::x11 {

unsigned int modifierMaskFor(Display* display, std::initializer_list<KeySym> keysyms)
{
    XModifierKeymap* map = XGetModifierMapping(display);
    if (map == nullptr) {
        return 0;
    }
    unsigned int mask = 0;
    for (int modifier = 0; modifier < 8 && mask == 0; ++modifier) {
        for (int index = 0; index < map->max_keypermod && mask == 0; ++index) {
            const KeyCode keycode = map->modifiermap[modifier * map->max_keypermod + index];
            if (keycode == 0) {
                continue;
            }
            int symbolsPerCode = 0;
            KeySym* symbols = XGetKeyboardMapping(display, keycode, 1, &symbolsPerCode);
            if (symbols == nullptr) {
                continue;
            }
            for (int level = 0; level < symbolsPerCode && mask == 0; ++level) {
                for (const KeySym keysym : keysyms) {
                    if (symbols[level] == keysym) {
                        mask = 1u << modifier;
                    }
                }
            }
            XFree(symbols);
        }
    }
    XFreeModifiermap(map);
    return mask;
}

} // namespace HotKeys::x11

#pragma once

class QString;

/// The stored "shortcutKey" text as shown to the user, the way Linux desktops write it:
/// "⌃⌘V" reads "Ctrl+Super+V" (Ctrl, Alt, Shift, Super, then the rest of the text, usually the key).
QString shortcutDisplayText(const QString& text);

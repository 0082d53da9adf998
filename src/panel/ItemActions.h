#pragma once

#include <functional>

class ClipboardItem;

/// How a paste was asked for: the row click also plays the click sound when it is on.
enum class PasteTrigger
{
    Keyboard,
    RowClick
};

/// Shift+Return and Shift+click paste a text item as plain text: no RTF or HTML form.
enum class PasteFormat
{
    AsCopied,
    PlainText
};

/// What the list and its rows do to the outside world. The application hands in the one shared
/// paste sequence; tests hand in recorders instead. An empty action does nothing.
struct ItemActions
{
    /// Writes the item to the clipboard, hides the application and pastes into the window
    /// that was in front before.
    std::function<void(const ClipboardItem&, PasteTrigger, PasteFormat)> paste;
    /// Writes the item to the clipboard only ("copy_again").
    std::function<void(const ClipboardItem&)> copyToPasteboard;
};

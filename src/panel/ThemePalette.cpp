#include "panel/ThemePalette.h"

namespace {

QPalette makePalette(const QColor& window, const QColor& base, const QColor& alternateBase,
                     const QColor& text, const QColor& placeholder, const QColor& highlight,
                     const QColor& button)
{
    QPalette palette;
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Window, window);
        palette.setColor(group, QPalette::WindowText, text);
        palette.setColor(group, QPalette::Base, base);
        palette.setColor(group, QPalette::AlternateBase, alternateBase);
        palette.setColor(group, QPalette::Text, text);
        palette.setColor(group, QPalette::PlaceholderText, placeholder);
        palette.setColor(group, QPalette::Button, button);
        palette.setColor(group, QPalette::ButtonText, text);
        palette.setColor(group, QPalette::Highlight, highlight);
        palette.setColor(group, QPalette::HighlightedText, Qt::white);
        palette.setColor(group, QPalette::ToolTipBase, base);
        palette.setColor(group, QPalette::ToolTipText, text);
        palette.setColor(group, QPalette::Mid, placeholder);
        palette.setColor(group, QPalette::Link, highlight);
    }
    palette.setColor(QPalette::Disabled, QPalette::Window, window);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, placeholder);
    palette.setColor(QPalette::Disabled, QPalette::Text, placeholder);
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, placeholder);
    palette.setColor(QPalette::Disabled, QPalette::Base, base);
    palette.setColor(QPalette::Disabled, QPalette::Button, button);
    return palette;
}

} // namespace

namespace ThemePalette {

QPalette forTheme(AppTheme theme, const QPalette& systemPalette)
{
    switch (theme) {
    case AppTheme::Light:
        return makePalette(QColor(0xf4, 0xf4, 0xf6), Qt::white, QColor(0xeb, 0xeb, 0xef),
                           QColor(0x1d, 0x1d, 0x1f), QColor(0x86, 0x86, 0x8b), QColor(0x0a, 0x84, 0xff),
                           QColor(0xe8, 0xe8, 0xed));
    case AppTheme::Dark:
        return makePalette(QColor(0x26, 0x26, 0x2a), QColor(0x1c, 0x1c, 0x1e), QColor(0x30, 0x30, 0x34),
                           QColor(0xf2, 0xf2, 0xf7), QColor(0x98, 0x98, 0x9f), QColor(0x0a, 0x84, 0xff),
                           QColor(0x3a, 0x3a, 0x3c));
    case AppTheme::System:
        break;
    }
    return systemPalette;
}

} // namespace ThemePalette

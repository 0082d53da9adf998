#pragma once

#include <QPalette>

#include "core/AppEnvironment.h"

namespace ThemePalette {

/// The palette of a colour theme: `system` gives `systemPalette` unchanged, `light` and `dark`
/// a fixed light or dark palette.
QPalette forTheme(AppTheme theme, const QPalette& systemPalette);

} // namespace ThemePalette

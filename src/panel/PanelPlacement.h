#pragma once

#include <optional>

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

namespace PanelPlacement {

/// Gap between the pointer and the panel, in points.
inline constexpr int pointerGap = 10;

/// Where the panel's top-left corner goes when it is summoned at `pointer` (global coordinates,
/// y downwards): 10 points right of and below the pointer on the first of `screens` (full
/// geometries, in the system's order) that contains it; left of the pointer when the panel would
/// pass that screen's right edge; bottom 10 points above the screen's bottom when it would pass
/// that. No correction towards the left or top edge. None when no screen contains the pointer.
std::optional<QPoint> origin(const QPoint& pointer, const QSize& panelSize, const QList<QRect>& screens);

} // namespace PanelPlacement

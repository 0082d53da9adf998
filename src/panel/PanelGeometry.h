#pragma once

class AppEnvironment;

/// The floating panel's size: a fixed width, and a height that only the modern style lets the
/// user choose (kept in AppEnvironment as the stored height).
namespace PanelGeometry {

inline constexpr int width = 400;
inline constexpr int defaultHeight = 600;
inline constexpr int minimumHeight = 360;
/// Far taller than any screen, and well inside X11's 16-bit window coordinates.
inline constexpr int maximumHeight = 16384;

/// The panel height for the current style (600 in classic; the stored height, at least 360, in modern).
double height(const AppEnvironment& environment);

} // namespace PanelGeometry

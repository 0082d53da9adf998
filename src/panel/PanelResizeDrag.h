#pragma once

#include <functional>
#include <optional>

class QWidget;

/// A drag of the panel's bottom resize strip: the panel follows the pointer while the drag
/// lasts (its top edge stays), and the height asked for is handed on when it ends.
class PanelResizeDrag
{
public:
    /// Receives the height asked for at the end of a drag, and whether it is to be remembered.
    using ResizeHandler = std::function<void(double height, bool remember)>;

    void setResizeHandler(ResizeHandler handler) { m_resize = std::move(handler); }

    /// dy: points since the press, positive downwards. `panel` may be null (no window yet).
    void changed(QWidget* panel, double dy);
    void ended(QWidget* panel, double dy);

private:
    double startHeight(QWidget* panel) const;

    ResizeHandler m_resize;
    std::optional<double> m_startHeight;
};

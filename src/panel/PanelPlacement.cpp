#include "panel/PanelPlacement.h"

namespace PanelPlacement {

std::optional<QPoint> origin(const QPoint& pointer, const QSize& panelSize, const QList<QRect>& screens)
{
    for (const QRect& screen : screens) {
        if (!screen.contains(pointer))
            continue;
        // QRect's right()/bottom() are the last pixel; the edges proper lie one further.
        const int screenRight = screen.x() + screen.width();
        const int screenBottom = screen.y() + screen.height();
        int x = pointer.x() + pointerGap;
        if (x + panelSize.width() > screenRight)
            x = pointer.x() - panelSize.width() - pointerGap;
        int y = pointer.y() + pointerGap;
        if (y + panelSize.height() > screenBottom)
            y = screenBottom - pointerGap - panelSize.height();
        return QPoint(x, y);
    }
    return std::nullopt;
}

} // namespace PanelPlacement

#include "panel/PanelResizeDrag.h"

#include <QWidget>

#include "core/AppEnvironment.h"
#include "panel/PanelGeometry.h"
#include "panel/WindowManager.h"

double PanelResizeDrag::startHeight(QWidget* panel) const
{
    return m_startHeight.value_or(panel ? double(panel->height()) : PanelGeometry::height(AppEnvironment::shared()));
}

void PanelResizeDrag::changed(QWidget* panel, double dy)
{
    if (!m_startHeight)
        m_startHeight = startHeight(panel);
    if (!panel)
        return;
    const int height = WindowManager::sanitizedHeight(*m_startHeight + dy);
    panel->setGeometry(panel->x(), panel->y(), PanelGeometry::width, height);
}

void PanelResizeDrag::ended(QWidget* panel, double dy)
{
    const double height = startHeight(panel) + dy;
    m_startHeight.reset();
    if (m_resize)
        m_resize(height, true);
    else
        WindowManager::shared().resizeWindow(height, true);
}

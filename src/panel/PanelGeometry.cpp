#include "panel/PanelGeometry.h"

#include <algorithm>

#include "core/AppEnvironment.h"

double PanelGeometry::height(const AppEnvironment& environment)
{
    if (environment.appearanceStyle() == AppearanceStyle::Classic)
        return defaultHeight;
    const double stored = environment.storedWindowHeightRaw();
    const double height = stored > 0 ? stored : defaultHeight;
    return std::clamp(height, double(minimumHeight), double(maximumHeight));
}

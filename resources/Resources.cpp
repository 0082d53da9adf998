#include "Resources.h"

#include <QtCore/qglobal.h>

void initOvelinResources()
{
    // Qt's generated resource objects are linked through object libraries, so they register
    // themselves; this function is where a build without them would initialise them.
}

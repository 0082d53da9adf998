#pragma once

/// Makes the icons and translations compiled into the static resource library available.
/// Call once, after the QCoreApplication exists.
void initOvelinResources();

#pragma once

#include <QClipboard>

#include "platform/ClipboardService.h"

/// Hands the content to Qt's clipboard in `mode` (empty content clears it). Qt then answers
/// other applications' requests from the GUI thread.
void writeWithQtClipboard(QClipboard::Mode mode, const ClipboardContent& content);

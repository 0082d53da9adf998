#pragma once

#include <functional>

namespace ovelin {

/// Ends the process with status 1 once the display connection is lost, after `lost` (what must
/// be kept before the end) ran exactly once. Several threads may notice the same loss, each of
/// them about to end the process (Xlib and Qt, or Qt's event thread and the GUI thread): the
/// first one runs `lost` and ends the process; any other waits here for it, so none ends the
/// process half-way through the first one's work.
[[noreturn]] void endAfterDisplayLoss(const std::function<void()>& lost);

} // namespace ovelin

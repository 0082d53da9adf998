#include "platform/DisplayLoss.h"

#include <mutex>
#include <unistd.h>

#include "common/Console.h"

namespace ovelin {

namespace {

thread_local bool endingOnThisThread = false;

} // namespace

void endAfterDisplayLoss(const std::function<void()>& lost)
{
    // Never destroyed and never released: its holder ends the process.
    static auto* const ending = new std::mutex;
    // The same thread back here means `lost` itself met the loss again: it cannot finish.
    if (!endingOnThisThread) {
        endingOnThisThread = true;
        ending->lock();
        if (lost)
            lost();
    }
    flushConsole();
    ::_exit(1);
}

} // namespace ovelin

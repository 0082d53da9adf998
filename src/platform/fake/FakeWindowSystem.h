#pragma once

#include <QList>

#include "platform/WindowSystem.h"

/// In-memory WindowSystem for tests: the compositor is whatever the test sets; sticky requests
/// are recorded.
class FakeWindowSystem : public WindowSystem
{
public:
    bool setOnAllDesktops(quint64 window) override
    {
        stickyWindows.append(window);
        return true;
    }
    bool hasCompositor() const override { return compositor; }

    bool compositor = true;
    QList<quint64> stickyWindows;
};

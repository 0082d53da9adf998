#pragma once

#include <memory>

class ClipboardHistory;

/// The long-lived wiring of the running application.
class AppShell
{
public:
    AppShell();
    ~AppShell();

    ClipboardHistory& history() { return *m_history; }

private:
    std::unique_ptr<ClipboardHistory> m_history;
};

#include "app/AppShell.h"

#include "history/ClipboardHistory.h"

AppShell::AppShell() : m_history(std::make_unique<ClipboardHistory>()) {}

AppShell::~AppShell() = default;

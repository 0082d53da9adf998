#include "preferences/PreferencesWindowController.h"

#include <QWidget>

#include "history/ClipboardHistory.h"

PreferencesWindowController::PreferencesWindowController(ClipboardHistory& history, QObject* parent)
    : QObject(parent), m_history(history), m_window(std::make_unique<QWidget>())
{
    m_window->setWindowTitle(QStringLiteral("Preferences"));
    m_window->resize(500, 650);
}

PreferencesWindowController::~PreferencesWindowController() = default;

QWidget* PreferencesWindowController::window() const { return m_window.get(); }

void PreferencesWindowController::showWindow()
{
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

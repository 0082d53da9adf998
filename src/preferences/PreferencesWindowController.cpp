#include "preferences/PreferencesWindowController.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "history/ClipboardHistory.h"
#include "preferences/PreferencesView.h"

PreferencesWindowController::PreferencesWindowController(ClipboardHistory& history,
                                                         PreferencesServices services, QObject* parent)
    : QObject(parent), m_history(history),
      m_window(std::make_unique<PreferencesView>(history, std::move(services)))
{
    // Titled and closable only: no minimise or maximise button, and no resizing. The content
    // asks for at least 620 × 500, which widens the 500 × 650 window it starts as.
    m_window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                             Qt::WindowCloseButtonHint);
    m_window->setWindowTitle(QStringLiteral("Preferences"));
    m_window->resize(500, 650);
    m_window->setFixedSize(m_window->size().expandedTo(m_window->minimumSize()));
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), m_window->size());
        frame.moveCenter(screen->availableGeometry().center());
        m_window->move(frame.topLeft());
    }
}

PreferencesWindowController::~PreferencesWindowController() = default;

QWidget* PreferencesWindowController::window() const
{
    return m_window.get();
}

PreferencesView* PreferencesWindowController::view() const
{
    return m_window.get();
}

void PreferencesWindowController::showWindow()
{
    if (m_window->isMinimized())
        m_window->showNormal();
    else
        m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

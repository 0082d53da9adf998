#pragma once

#include <memory>

#include <QObject>

class ClipboardHistory;
class QWidget;

/// Owns the one preferences window: created once, reused, closing only hides it.
class PreferencesWindowController : public QObject
{
    Q_OBJECT
public:
    explicit PreferencesWindowController(ClipboardHistory& history, QObject* parent = nullptr);
    ~PreferencesWindowController() override;

    QWidget* window() const;
    /// Shows the window (or brings it forward), raises it and gives it the focus.
    void showWindow();

private:
    ClipboardHistory& m_history;
    std::unique_ptr<QWidget> m_window;
};

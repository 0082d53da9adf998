#pragma once

#include <memory>

#include <QObject>

#include "preferences/PreferencesServices.h"

class ClipboardHistory;
class PreferencesView;
class QWidget;

/// Owns the one preferences window: created once, reused, closing only hides it.
class PreferencesWindowController : public QObject
{
    Q_OBJECT
public:
    PreferencesWindowController(ClipboardHistory& history, PreferencesServices services,
                                QObject* parent = nullptr);
    ~PreferencesWindowController() override;

    QWidget* window() const;
    PreferencesView* view() const;
    /// Shows the window (or brings it forward), raises it and gives it the focus.
    void showWindow();

private:
    ClipboardHistory& m_history;
    std::unique_ptr<PreferencesView> m_window;
};

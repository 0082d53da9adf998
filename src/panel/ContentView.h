#pragma once

#include <QPointer>
#include <QWidget>

#include "panel/ItemActions.h"

class AppEnvironment;
class ClipboardHistory;

/// The floating panel's root view: hosts the history list and applies the chosen theme and
/// language. What a row does (paste, copy) is handed in by the panel's owner.
class ContentView : public QWidget
{
    Q_OBJECT
public:
    ContentView(ClipboardHistory& history, AppEnvironment& environment, ItemActions actions = {},
                QWidget* parent = nullptr);
    ~ContentView() override;

    ClipboardHistory& history() const { return m_history; }
    /// The history list shown inside.
    QWidget* listView() const { return m_listView; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void applyTheme();

    ClipboardHistory& m_history;
    AppEnvironment& m_environment;
    QPointer<QWidget> m_listView;
};

#pragma once

#include "preferences/PreferencesPage.h"

class ClipboardHistory;
class QLabel;
class QPushButton;
class Stepper;

/// The history limit (10 to 500 in steps of 10) and the button that empties the history.
class HistoryPreferencesView : public PreferencesPage
{
    Q_OBJECT
public:
    static constexpr int minimumLimit = 10;
    static constexpr int maximumLimit = 500;
    static constexpr int limitStep = 10;

    HistoryPreferencesView(ClipboardHistory& history, const PreferencesServices& services,
                           QWidget* parent = nullptr);

    QLabel* limitBox() const { return m_limitBox; }
    Stepper* limitStepper() const { return m_stepper; }
    QPushButton* clearButton() const { return m_clearButton; }

private:
    void step(int delta);
    void showLimit();
    void confirmClearHistory();

    ClipboardHistory& m_history;
    QLabel* m_limitBox;
    Stepper* m_stepper;
    QPushButton* m_clearButton;
};

#pragma once

#include "preferences/PreferencesPage.h"

class ClipboardHistory;
class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;
class Stepper;
class ToggleSwitch;

/// The history limit (10 to 500 in steps of 10), the button that empties the history, the
/// encryption of the history file, the size above which a copy is not kept, the applications whose
/// copies are never kept, and how long copied secrets are kept, with the kinds of secrets recognised.
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
    ToggleSwitch* encryptSwitch() const { return m_encrypt; }
    QSpinBox* maxItemSizeBox() const { return m_maxItemSize; }
    QListWidget* ignoredList() const { return m_ignoredList; }
    /// Offers the running applications; a name can also be typed.
    QComboBox* applicationChooser() const { return m_applicationChooser; }
    QPushButton* addIgnoredButton() const { return m_addIgnored; }
    QPushButton* removeIgnoredButton() const { return m_removeIgnored; }
    /// Shown only when the history file could not be read nor moved aside, so nothing is saved.
    QLabel* notSavedNotice() const { return m_notSavedNotice; }
    QSpinBox* sensitiveMinutesBox() const { return m_sensitiveMinutes; }
    /// One per kind of secret, in the recogniser's order; objectName "sensitiveKind_" + id.
    const QList<QCheckBox*>& sensitiveKindBoxes() const { return m_sensitiveKinds; }
    static constexpr int maximumSensitiveMinutes = 1440;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void step(int delta);
    void showLimit();
    void confirmClearHistory();
    void showIgnored();
    void addIgnored();
    void removeIgnored();
    void offerRunningApplications();
    void addSecretsSection();
    void showSensitiveKinds();

    ClipboardHistory& m_history;
    QLabel* m_limitBox;
    Stepper* m_stepper;
    QPushButton* m_clearButton;
    ToggleSwitch* m_encrypt;
    QSpinBox* m_maxItemSize;
    QListWidget* m_ignoredList;
    QComboBox* m_applicationChooser;
    QPushButton* m_addIgnored;
    QPushButton* m_removeIgnored;
    QLabel* m_notSavedNotice = nullptr;
    QSpinBox* m_sensitiveMinutes = nullptr;
    QList<QCheckBox*> m_sensitiveKinds;
};

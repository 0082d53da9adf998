#include "preferences/HistoryPreferencesView.h"

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/Settings.h"
#include "history/CaptureGate.h"
#include "history/ClipboardHistory.h"
#include "history/ClipboardStorage.h"
#include "history/SensitiveText.h"
#include "platform/FrontmostApplicationService.h"
#include "preferences/AlertPresenter.h"
#include "preferences/PreferencesWidgets.h"

using namespace PreferencesStyle;

namespace {
QString limitKey()
{
    return QString(SettingsKey::historyLimit);
}
} // namespace

HistoryPreferencesView::HistoryPreferencesView(ClipboardHistory& history, const PreferencesServices& services,
                                               QWidget* parent)
    : PreferencesPage(services, parent), m_history(history)
{
    column()->addWidget(titleLabel(qtTrId("preferences_history_title"), TextStyle::Title2));
    if (history.storage().savingStopped()) {
        m_notSavedNotice =
            captionLabel(qtTrId("preferences_history_not_saved_notice").arg(history.storage().filePath()));
        m_notSavedNotice->setObjectName(QStringLiteral("historyNotSavedNotice"));
        m_notSavedNotice->setTextInteractionFlags(Qt::TextSelectableByMouse);
        column()->addWidget(m_notSavedNotice);
    }

    m_limitBox = new QLabel;
    m_limitBox->setObjectName(QStringLiteral("historyLimitBox"));
    m_limitBox->setFixedWidth(50);
    m_limitBox->setAlignment(Qt::AlignCenter);
    m_limitBox->setStyleSheet(QStringLiteral("QLabel#historyLimitBox { border: 1px solid palette(mid); "
                                             "border-radius: 6px; padding: 2px 0px; }"));
    m_stepper = new Stepper;
    m_stepper->decrementButton()->setAccessibleName(QStringLiteral("\u2212"));
    m_stepper->incrementButton()->setAccessibleName(QStringLiteral("+"));
    auto* limitControls = new QWidget;
    auto* limitRow = new QHBoxLayout(limitControls);
    limitRow->setContentsMargins(0, 0, 0, 0);
    limitRow->setSpacing(6);
    limitRow->addWidget(m_limitBox);
    limitRow->addWidget(m_stepper);
    addRow(label(qtTrId("preferences_history_limit_label")), limitControls);
    connect(m_stepper, &Stepper::incremented, this, [this] { step(limitStep); });
    connect(m_stepper, &Stepper::decremented, this, [this] { step(-limitStep); });
    connect(&Settings::shared(), &Settings::valueChanged, this, [this](const QString& key) {
        if (key == limitKey())
            showLimit();
    });
    showLimit();

    column()->addWidget(captionLabel(qtTrId("preferences_history_description")));

    m_clearButton = new QPushButton(QIcon(symbolPixmap(QStringLiteral("trash"), 14, QColor(Qt::white), 2.0)),
                                    qtTrId("clear_history_button_title"));
    m_clearButton->setObjectName(QStringLiteral("clearHistoryButton"));
    m_clearButton->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_clearButton->setAutoDefault(false);
    m_clearButton->setStyleSheet(QStringLiteral(
        "QPushButton#clearHistoryButton { background: palette(highlight); color: palette(highlighted-text); "
        "border: none; border-radius: 6px; padding: 6px 12px; font-weight: 600; }"
        "QPushButton#clearHistoryButton:pressed { background: palette(dark); }"));
    connect(m_clearButton, &QPushButton::clicked, this, &HistoryPreferencesView::confirmClearHistory);
    column()->addSpacing(6);
    column()->addWidget(m_clearButton);
    column()->addWidget(captionLabel(qtTrId("clear_history_button_subtitle")));

    column()->addSpacing(6);
    m_encrypt = new ToggleSwitch;
    m_encrypt->setChecked(Settings::shared().boolValue(SettingsKey::encryptHistory));
    addRow(label(qtTrId("preferences_encrypt_history_label")), m_encrypt);
    column()->addWidget(captionLabel(qtTrId("preferences_encrypt_history_caption")));
    connect(m_encrypt, &ToggleSwitch::toggled, this, [this](bool on) {
        if (Settings::shared().boolValue(SettingsKey::encryptHistory) == on)
            return;
        Settings::shared().setValue(SettingsKey::encryptHistory, on);
        sendSettingsChanged(
            {{QStringLiteral("settingKey"), QStringLiteral("encryptHistory")},
             {QStringLiteral("settingGroup"), QStringLiteral("history")},
             {QStringLiteral("value"), on ? QStringLiteral("true") : QStringLiteral("false")}});
    });

    column()->addSpacing(6);
    m_maxItemSize = new QSpinBox;
    m_maxItemSize->setRange(CaptureGate::minItemSizeMB, CaptureGate::maxItemSizeMB);
    m_maxItemSize->setSuffix(QStringLiteral(" MB"));
    m_maxItemSize->setValue(Settings::shared().intValue(SettingsKey::maxItemSizeMB));
    addRow(label(qtTrId("preferences_max_item_size_label")), m_maxItemSize);
    connect(m_maxItemSize, &QSpinBox::valueChanged, this, [this](int megabytes) {
        if (Settings::shared().intValue(SettingsKey::maxItemSizeMB) == megabytes)
            return;
        Settings::shared().setValue(SettingsKey::maxItemSizeMB, megabytes);
        sendSettingsChanged({{QStringLiteral("settingKey"), QStringLiteral("maxItemSizeMB")},
                             {QStringLiteral("settingGroup"), QStringLiteral("history")},
                             {QStringLiteral("value"), QString::number(megabytes)}});
    });
    column()->addWidget(captionLabel(qtTrId("preferences_max_item_size_caption")));

    column()->addSpacing(6);
    column()->addWidget(label(qtTrId("preferences_ignored_apps_label")));
    m_ignoredList = new QListWidget;
    m_ignoredList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_ignoredList->setFixedHeight(90);
    column()->addWidget(m_ignoredList);
    m_applicationChooser = new QComboBox;
    m_applicationChooser->setEditable(true);
    m_applicationChooser->setInsertPolicy(QComboBox::NoInsert);
    m_applicationChooser->lineEdit()->setPlaceholderText(qtTrId("preferences_ignored_apps_placeholder"));
    m_addIgnored = new QPushButton(qtTrId("preferences_ignored_apps_add"));
    m_removeIgnored = new QPushButton(qtTrId("preferences_ignored_apps_remove"));
    m_addIgnored->setAutoDefault(false);
    m_removeIgnored->setAutoDefault(false);
    auto* ignoredRow = new QHBoxLayout;
    ignoredRow->addWidget(m_applicationChooser, 1);
    ignoredRow->addWidget(m_addIgnored);
    ignoredRow->addWidget(m_removeIgnored);
    column()->addLayout(ignoredRow);
    column()->addWidget(captionLabel(qtTrId("preferences_ignored_apps_caption")));
    connect(m_addIgnored, &QPushButton::clicked, this, &HistoryPreferencesView::addIgnored);
    connect(m_applicationChooser->lineEdit(), &QLineEdit::returnPressed, this,
            &HistoryPreferencesView::addIgnored);
    connect(m_removeIgnored, &QPushButton::clicked, this, &HistoryPreferencesView::removeIgnored);
    connect(m_ignoredList, &QListWidget::itemSelectionChanged, this,
            [this] { m_removeIgnored->setEnabled(!m_ignoredList->selectedItems().isEmpty()); });
    connect(&Settings::shared(), &Settings::valueChanged, this, [this](const QString& key) {
        if (key == SettingsKey::ignoredApplications)
            showIgnored();
        else if (key == SettingsKey::maxItemSizeMB)
            m_maxItemSize->setValue(Settings::shared().intValue(SettingsKey::maxItemSizeMB));
        else if (key == SettingsKey::encryptHistory)
            m_encrypt->setChecked(Settings::shared().boolValue(SettingsKey::encryptHistory));
    });
    showIgnored();
    offerRunningApplications();

    addSecretsSection();

    column()->addStretch(1);
}

void HistoryPreferencesView::addSecretsSection()
{
    column()->addSpacing(6);
    m_sensitiveMinutes = new QSpinBox;
    m_sensitiveMinutes->setObjectName(QStringLiteral("sensitiveItemMinutes"));
    m_sensitiveMinutes->setRange(0, maximumSensitiveMinutes);
    m_sensitiveMinutes->setSuffix(QStringLiteral(" min"));
    m_sensitiveMinutes->setValue(Settings::shared().intValue(SettingsKey::sensitiveItemMinutes));
    addRow(label(qtTrId("preferences_sensitive_minutes_label")), m_sensitiveMinutes);
    connect(m_sensitiveMinutes, &QSpinBox::valueChanged, this, [this](int minutes) {
        if (Settings::shared().intValue(SettingsKey::sensitiveItemMinutes) == minutes)
            return;
        Settings::shared().setValue(SettingsKey::sensitiveItemMinutes, minutes);
        sendSettingsChanged({{QStringLiteral("settingKey"), QStringLiteral("sensitiveItemMinutes")},
                             {QStringLiteral("settingGroup"), QStringLiteral("history")},
                             {QStringLiteral("value"), QString::number(minutes)}});
    });
    column()->addWidget(captionLabel(qtTrId("preferences_sensitive_minutes_caption")));

    column()->addWidget(label(qtTrId("preferences_sensitive_kinds_label")));
    auto* grid = new QGridLayout;
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(2);
    const QList<SensitiveText::Kind>& kinds = SensitiveText::kinds();
    for (qsizetype i = 0; i < kinds.size(); ++i) {
        const QString id = QString::fromLatin1(kinds[i].id);
        auto* box = new QCheckBox(qtTrId(kinds[i].nameId));
        box->setObjectName(QStringLiteral("sensitiveKind_") + id);
        grid->addWidget(box, int(i / 2), int(i % 2));
        m_sensitiveKinds << box;
        connect(box, &QCheckBox::toggled, this, [this, id](bool on) {
            QStringList off = Settings::shared().stringListValue(SettingsKey::disabledSensitiveKinds);
            if (off.contains(id) == !on)
                return;
            if (on)
                off.removeAll(id);
            else
                off.append(id);
            Settings::shared().setValue(SettingsKey::disabledSensitiveKinds, off);
            sendSettingsChanged({{QStringLiteral("settingKey"), QStringLiteral("disabledSensitiveKinds")},
                                 {QStringLiteral("settingGroup"), QStringLiteral("history")},
                                 {QStringLiteral("value"), off.join(u',')}});
        });
    }
    column()->addLayout(grid);
    column()->addWidget(captionLabel(qtTrId("preferences_sensitive_kinds_caption")));
    showSensitiveKinds();
    connect(&Settings::shared(), &Settings::valueChanged, this, [this](const QString& key) {
        if (key == SettingsKey::sensitiveItemMinutes)
            m_sensitiveMinutes->setValue(Settings::shared().intValue(SettingsKey::sensitiveItemMinutes));
        else if (key == SettingsKey::disabledSensitiveKinds)
            showSensitiveKinds();
    });
}

void HistoryPreferencesView::showSensitiveKinds()
{
    const QStringList off = Settings::shared().stringListValue(SettingsKey::disabledSensitiveKinds);
    const QList<SensitiveText::Kind>& kinds = SensitiveText::kinds();
    for (qsizetype i = 0; i < kinds.size(); ++i) {
        const QSignalBlocker block(m_sensitiveKinds[i]);
        m_sensitiveKinds[i]->setChecked(!off.contains(QString::fromLatin1(kinds[i].id)));
    }
}

void HistoryPreferencesView::showEvent(QShowEvent* event)
{
    // Applications come and go while the window is closed.
    offerRunningApplications();
    PreferencesPage::showEvent(event);
}

void HistoryPreferencesView::offerRunningApplications()
{
    const QString typed = m_applicationChooser->currentText();
    m_applicationChooser->clear();
    if (services().applications)
        m_applicationChooser->addItems(services().applications->runningApplications());
    m_applicationChooser->setEditText(typed);
}

void HistoryPreferencesView::showIgnored()
{
    m_ignoredList->clear();
    m_ignoredList->addItems(Settings::shared().stringListValue(SettingsKey::ignoredApplications));
    m_removeIgnored->setEnabled(false);
}

void HistoryPreferencesView::addIgnored()
{
    const QString name = m_applicationChooser->currentText().trimmed();
    QStringList names = Settings::shared().stringListValue(SettingsKey::ignoredApplications);
    if (!name.isEmpty() && !names.contains(name, Qt::CaseInsensitive)) {
        names.append(name);
        Settings::shared().setValue(SettingsKey::ignoredApplications, names);
    }
    m_applicationChooser->setEditText(QString());
}

void HistoryPreferencesView::removeIgnored()
{
    QStringList names = Settings::shared().stringListValue(SettingsKey::ignoredApplications);
    for (const QListWidgetItem* item : m_ignoredList->selectedItems())
        names.removeAll(item->text());
    Settings::shared().setValue(SettingsKey::ignoredApplications, names);
}

void HistoryPreferencesView::step(int delta)
{
    // Like a stepper over 10...500: a step never leaves the range, but a stored value outside it
    // stays as it is until the user steps.
    const int current = Settings::shared().intValue(limitKey());
    const int next =
        delta > 0 ? std::min(current + delta, maximumLimit) : std::max(current + delta, minimumLimit);
    if (next == current)
        return;
    Settings::shared().setValue(limitKey(), next);
    sendSettingsChanged({{QStringLiteral("settingKey"), QStringLiteral("historyLimit")},
                         {QStringLiteral("settingGroup"), QStringLiteral("history")},
                         {QStringLiteral("value"), QString::number(next)}});
}

void HistoryPreferencesView::showLimit()
{
    const int limit = Settings::shared().intValue(limitKey());
    m_limitBox->setText(QString::number(limit));
    m_limitBox->setAccessibleName(QString::number(limit));
    m_stepper->setOpenDirections(limit > minimumLimit, limit < maximumLimit);
}

void HistoryPreferencesView::confirmClearHistory()
{
    if (!services().alerts)
        return;
    Alert alert;
    alert.title = qtTrId("clear_history_button_title");
    alert.message = qtTrId("clear_history_alert_title");
    alert.icon = Alert::Icon::Warning;
    alert.buttons = {{qtTrId("clear_history_alert_cancel"), Alert::Role::Cancel},
                     {qtTrId("clear_history_alert_confirm"), Alert::Role::Destructive}};
    ClipboardHistory* history = &m_history;
    services().alerts->present(window(), alert, [history](int choice) {
        if (choice == 1)
            history->clearHistory();
    });
}

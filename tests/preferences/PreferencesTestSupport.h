#pragma once

#include <functional>
#include <memory>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QList>
#include <QTest>
#include <QWidget>

#include "platform/fake/FakeCapabilityService.h"
#include "platform/fake/FakeFrontmostApplicationService.h"
#include "platform/fake/FakeLoginItemService.h"
#include "preferences/AlertPresenter.h"
#include "preferences/PreferencesServices.h"

namespace ovelin::test {

/// Records the alerts shown; the test answers the last one through `choose()`.
class ScriptedAlertPresenter : public AlertPresenter
{
public:
    void present(QWidget*, const Alert& alert, Answer answer) override
    {
        shown.append(alert);
        pending = std::move(answer);
    }

    /// Chooses the button with this text in the last alert shown.
    void choose(const QString& buttonText)
    {
        const Alert& alert = shown.last();
        for (int i = 0; i < alert.buttons.size(); ++i) {
            if (alert.buttons.at(i).text == buttonText) {
                Answer answer = std::exchange(pending, Answer());
                if (answer)
                    answer(i);
                return;
            }
        }
        QFAIL("no such button in the alert");
    }

    QList<Alert> shown;
    Answer pending;
};

/// The services of a test: fakes everywhere, settings changes and opened addresses recorded.
struct TestServices
{
    FakeLoginItemService loginItems;
    FakeCapabilityService capabilities;
    FakeFrontmostApplicationService applications;
    ScriptedAlertPresenter alerts;
    QList<SignalParameters> settingsChanged; // what each SettingsChanged signal carried
    QList<QUrl> openedUrls;
    QStringList registeredShortcuts;

    PreferencesServices services()
    {
        PreferencesServices result;
        result.loginItems = &loginItems;
        result.capabilities = &capabilities;
        result.alerts = &alerts;
        result.applications = &applications;
        result.sendSignal = [this](AppSignal signal, const SignalParameters& parameters) {
            if (signal == AppSignal::SettingsChanged)
                settingsChanged.append(parameters);
        };
        result.openUrl = [this](const QUrl& url) { openedUrls.append(url); };
        result.registerShortcut = [this](const QString& text) { registeredShortcuts.append(text); };
        result.bundleInfo = {{QStringLiteral("CFBundleShortVersionString"), QStringLiteral("1.4")},
                             {QStringLiteral("CFBundleVersion"), QStringLiteral("27")}};
        return result;
    }
};

/// Clicks the middle of a widget, as a person would.
inline void click(QWidget* widget)
{
    QVERIFY(widget);
    QVERIFY2(widget->isVisible(), "clicking a widget that is not on screen");
    QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
}

/// Picks an entry of a menu picker by its text: opens the menu with a click and goes to the entry
/// with the arrow keys and Return (a click this soon after the opening the menu would ignore, as
/// it would the second click of a double click).
inline void pick(QComboBox* picker, const QString& text)
{
    QVERIFY(picker);
    const int target = picker->findText(text);
    QVERIFY2(target >= 0, qPrintable(QStringLiteral("no entry ") + text));
    click(picker);
    QAbstractItemView* menu = picker->view();
    QTRY_VERIFY(menu->isVisible());
    const int from = menu->currentIndex().row();
    for (int row = from; row != target; row += target > from ? 1 : -1)
        QTest::keyClick(menu, target > from ? Qt::Key_Down : Qt::Key_Up);
    QCOMPARE(menu->currentIndex().row(), target);
    QTest::keyClick(menu, Qt::Key_Return);
    QTRY_VERIFY(!menu->isVisible());
    QCOMPARE(picker->currentIndex(), target);
}

/// What a settings change reports: the key, its group and, for some keys, the new value.
inline SignalParameters changed(const char* key, const char* group, const char* value = nullptr)
{
    SignalParameters result{{QStringLiteral("settingKey"), QString::fromUtf8(key)},
                            {QStringLiteral("settingGroup"), QString::fromUtf8(group)}};
    if (value)
        result.insert(QStringLiteral("value"), QString::fromUtf8(value));
    return result;
}

/// Builds a page from these arguments and shows it at this size; null when it never appears.
template <typename Page, typename... Args> std::unique_ptr<Page> showPage(QSize size, Args&&... args)
{
    auto page = std::make_unique<Page>(std::forward<Args>(args)...);
    page->resize(size);
    page->show();
    return QTest::qWaitForWindowExposed(page.get()) ? std::move(page) : nullptr;
}

} // namespace ovelin::test

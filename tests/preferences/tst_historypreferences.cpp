#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "PreferencesTestSupport.h"
#include "TestMain.h"
#include "app/Settings.h"
#include "history/ClipboardHistory.h"
#include "history/ClipboardStorage.h"
#include "preferences/HistoryPreferencesView.h"
#include "preferences/PreferencesWidgets.h"

using namespace Qt::StringLiterals;
using namespace ovelin::test;

class HistoryPreferencesTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_files = 0;
    std::unique_ptr<ClipboardHistory> m_history;
    std::unique_ptr<TestServices> m_world;
    std::unique_ptr<HistoryPreferencesView> m_page;

    HistoryPreferencesView* openPage()
    {
        m_page = std::make_unique<HistoryPreferencesView>(*m_history, m_world->services());
        m_page->resize(420, 500);
        m_page->show();
        return QTest::qWaitForWindowExposed(m_page.get()) ? m_page.get() : nullptr;
    }

    int storedLimit() const { return Settings::shared().intValue(QString(SettingsKey::historyLimit)); }

private Q_SLOTS:
    void init()
    {
        Settings::shared().remove(QString(SettingsKey::historyLimit));
        m_history = std::make_unique<ClipboardHistory>(
            ClipboardStorage::atPath(m_dir.filePath(u"history-%1.json"_s.arg(++m_files))));
        m_world = std::make_unique<TestServices>();
    }
    void cleanup()
    {
        m_page.reset();
        m_history.reset();
    }

    void stepperMovesInTensWithinTheRange_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<bool>("up");
        QTest::addColumn<int>("clicks");
        QTest::addColumn<int>("expected");
        QTest::addColumn<QString>("shownBefore");
        QTest::newRow("default up") << QVariant() << true << 1 << 60 << u"50"_s;
        QTest::newRow("default down") << QVariant() << false << 2 << 30 << u"50"_s;
        QTest::newRow("stops at 10") << QVariant(20) << false << 3 << 10 << u"20"_s;
        QTest::newRow("stops at 500") << QVariant(480) << true << 4 << 500 << u"480"_s;
        QTest::newRow("below range shown as stored, steps into it")
            << QVariant(5) << true << 1 << 15 << u"5"_s;
        QTest::newRow("above range shown as stored, steps down")
            << QVariant(700) << false << 1 << 690 << u"700"_s;
    }

    void stepperMovesInTensWithinTheRange()
    {
        QFETCH(QVariant, stored);
        QFETCH(bool, up);
        QFETCH(int, clicks);
        QFETCH(int, expected);
        QFETCH(QString, shownBefore);
        if (stored.isValid())
            Settings::shared().setValue(QString(SettingsKey::historyLimit), stored);
        HistoryPreferencesView* page = openPage();
        QVERIFY(page);
        QCOMPARE(page->limitBox()->text(), shownBefore);

        QToolButton* button =
            up ? page->limitStepper()->incrementButton() : page->limitStepper()->decrementButton();
        for (int i = 0; i < clicks; ++i) {
            if (button->isEnabled())
                click(button);
        }

        QCOMPARE(storedLimit(), expected);
        QCOMPARE(page->limitBox()->text(), QString::number(expected));
        QCOMPARE(page->limitStepper()->decrementButton()->isEnabled(), expected > 10);
        QCOMPARE(page->limitStepper()->incrementButton()->isEnabled(), expected < 500);
        // Each step that moved reports the new limit as text; a refused step reports nothing.
        const QList<SignalParameters> sent = m_world->settingsChanged();
        QVERIFY(!sent.isEmpty());
        QCOMPARE(sent.last(), params({{"settingKey", "historyLimit"},
                                      {"settingGroup", "history"},
                                      {"value", qPrintable(QString::number(expected))}}));
    }

    void clearHistoryAsksFirst_data()
    {
        QTest::addColumn<bool>("confirm");
        QTest::newRow("cancel leaves the history") << false;
        QTest::newRow("confirm empties it, pinned included") << true;
    }

    void clearHistoryAsksFirst()
    {
        QFETCH(bool, confirm);
        m_history->addItem(ClipboardItem(ClipboardItemType::text(u"first"_s)));
        m_history->addItem(ClipboardItem(ClipboardItemType::text(u"second"_s)));
        m_history->togglePin(m_history->history().first().id());
        QCOMPARE(m_history->history().size(), 2);
        HistoryPreferencesView* page = openPage();
        QVERIFY(page);

        click(page->clearButton());
        QCOMPARE(m_world->alerts.shown.size(), 1);
        const Alert& alert = m_world->alerts.shown.first();
        QCOMPARE(alert.title, qtTrId("clear_history_button_title"));
        QCOMPARE(alert.message, qtTrId("clear_history_alert_title"));
        QCOMPARE(m_history->history().size(), 2);
        m_world->alerts.choose(confirm ? qtTrId("clear_history_alert_confirm")
                                       : qtTrId("clear_history_alert_cancel"));

        QCOMPARE(m_history->history().size(), confirm ? 0 : 2);
        QVERIFY(m_world->settingsChanged().isEmpty());
    }
};

OVELIN_TEST_MAIN(HistoryPreferencesTest)
#include "tst_historypreferences.moc"

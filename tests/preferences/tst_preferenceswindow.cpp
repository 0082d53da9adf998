#include <QAbstractButton>
#include <QComboBox>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTranslator>

#include "PreferencesTestSupport.h"
#include "TestMain.h"
#include "core/AppEnvironment.h"
#include "core/Notifications.h"
#include "core/Settings.h"
#include "history/ClipboardHistory.h"
#include "history/ClipboardStorage.h"
#include "preferences/AboutPreferencesView.h"
#include "preferences/AlertPresenter.h"
#include "preferences/GeneralPreferencesView.h"
#include "preferences/HistoryPreferencesView.h"
#include "preferences/LanguagePreferencesView.h"
#include "preferences/PreferencesView.h"
#include "preferences/PreferencesWindowController.h"

using namespace Qt::StringLiterals;
using namespace ovelin::test;

class PreferencesWindowTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<ClipboardHistory> m_history;
    std::unique_ptr<TestServices> m_world;
    std::unique_ptr<PreferencesWindowController> m_controller;
    std::unique_ptr<QTranslator> m_translator;

    PreferencesView* openWindow()
    {
        m_controller = std::make_unique<PreferencesWindowController>(*m_history, m_world->services());
        m_controller->showWindow();
        return QTest::qWaitForWindowExposed(m_controller->window()) ? m_controller->view() : nullptr;
    }

    static void clickSection(PreferencesView* view, PreferencesSection section)
    {
        QListWidget* sidebar = view->sidebar();
        const QRect row =
            sidebar->visualItemRect(sidebar->item(int(allPreferencesSections().indexOf(section))));
        QTest::mouseClick(sidebar->viewport(), Qt::LeftButton, {}, row.center());
    }

    // What the application does when the language changes: install the matching translator.
    void followLanguage()
    {
        connect(&AppEnvironment::shared(), &AppEnvironment::selectedLanguageChanged, this, [this] {
            auto translator = std::make_unique<QTranslator>();
            const bool portuguese = AppEnvironment::shared().locale().language() == QLocale::Portuguese;
            QVERIFY(translator->load(portuguese ? u":/i18n/ovelin_pt_BR.qm"_s : u":/i18n/ovelin_en.qm"_s));
            QCoreApplication::installTranslator(translator.get());
            if (m_translator)
                QCoreApplication::removeTranslator(m_translator.get());
            m_translator = std::move(translator);
        });
    }

    static QMessageBox* openBox()
    {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible())
                return box;
        }
        return nullptr;
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_history =
            std::make_unique<ClipboardHistory>(ClipboardStorage::atPath(m_dir.filePath(u"history.json"_s)));
        Settings::shared().setValue(QString(SettingsKey::selectedLanguage), u"en"_s);
        AppEnvironment::shared().reload();
        followLanguage();
        AppEnvironment::shared().setLanguage(u"en"_s);
    }
    void init() { m_world = std::make_unique<TestServices>(); }
    void cleanup()
    {
        m_controller.reset();
        // A case that failed in Portuguese leaves the next one in English all the same.
        if (AppEnvironment::shared().selectedLanguage() != u"en")
            AppEnvironment::shared().setLanguage(u"en"_s);
    }

    void sectionsAreListedAndEachClickBuildsAFreshPageThatReopeningKeeps()
    {
        PreferencesView* view = openWindow();
        QVERIFY(view);
        QWidget* window = m_controller->window();
        QCOMPARE(window->minimumSize(), window->maximumSize());
        const QStringList keys{u"section_general"_s,  u"section_appearance"_s,  u"section_history"_s,
                               u"section_language"_s, u"section_permissions"_s, u"section_about"_s};
        QCOMPARE(view->sidebar()->count(), keys.size());
        for (int row = 0; row < keys.size(); ++row) {
            QCOMPARE(view->sidebar()->item(row)->text(), qtTrId(keys.at(row).toUtf8().constData()));
            QVERIFY(!view->sidebar()->item(row)->icon().isNull());
        }
        QCOMPARE(view->selectedSection(), PreferencesSection::General);
        QPointer<QWidget> first = view->currentPage();
        QVERIFY(qobject_cast<GeneralPreferencesView*>(first));

        clickSection(view, PreferencesSection::History);
        QCOMPARE(view->selectedSection(), PreferencesSection::History);
        QVERIFY(qobject_cast<HistoryPreferencesView*>(view->currentPage()));
        QTRY_VERIFY(!first);

        clickSection(view, PreferencesSection::About);
        QVERIFY(qobject_cast<AboutPreferencesView*>(view->currentPage()));

        // Reopened, it shows the section left open (that it is the same window: tst_startup).
        QVERIFY(window->close());
        m_controller->showWindow();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QCOMPARE(view->selectedSection(), PreferencesSection::About);
        QVERIFY(qobject_cast<AboutPreferencesView*>(view->currentPage()));
    }

    void notificationSelectsASectionAndIgnoresOtherObjects()
    {
        PreferencesView* view = openWindow();
        QVERIFY(view);
        QPointer<QWidget> page = view->currentPage();
        // A section's name as text, or nothing, leaves the window as it is.
        Q_EMIT Notifications::shared().selectPreferencesSection(QVariant(u"permissions"_s));
        Q_EMIT Notifications::shared().selectPreferencesSection(QVariant());
        QCOMPARE(view->selectedSection(), PreferencesSection::General);
        QCOMPARE(view->currentPage(), page.data());

        const PreferencesSection permissions = PreferencesSection::Permissions;
        Q_EMIT Notifications::shared().selectPreferencesSection(QVariant::fromValue(permissions));
        QCOMPARE(view->selectedSection(), permissions);
        QCOMPARE(view->sidebar()->currentRow(), int(allPreferencesSections().indexOf(permissions)));
    }

    void everyPageFitsTheWindowInEveryLanguage_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<PreferencesSection>("section");
        for (const QString& language : {u"en"_s, u"pt"_s}) {
            for (PreferencesSection section : allPreferencesSections())
                QTest::addRow("%s %s", qPrintable(language), qPrintable(sectionName(section)))
                    << language << section;
        }
    }

    void everyPageFitsTheWindowInEveryLanguage()
    {
        // Regression: a longer Portuguese text pushed the about page's checkbox out of sight.
        QFETCH(QString, language);
        QFETCH(PreferencesSection, section);
        AppEnvironment::shared().setLanguage(language);
        PreferencesView* view = openWindow();
        QVERIFY(view);
        view->setSelectedSection(section);
        QWidget* page = view->currentPage();
        const int available =
            page->parentWidget()->parentWidget()->width() - 48; // the scroll area's viewport
        QVERIFY2(page->minimumSizeHint().width() <= available,
                 qPrintable(u"needs %1, has %2"_s.arg(page->minimumSizeHint().width()).arg(available)));
    }

    void switchingToPortugueseRetranslatesTheOpenWindow()
    {
        PreferencesView* view = openWindow();
        QVERIFY(view);
        clickSection(view, PreferencesSection::Language);
        QCOMPARE(view->sidebar()->item(0)->text(), u"General"_s);

        auto* page = qobject_cast<LanguagePreferencesView*>(view->currentPage());
        QVERIFY(page);
        pick(page->languagePicker(), u"Português"_s);

        QTRY_COMPARE(view->sidebar()->item(0)->text(), u"Geral"_s);
        QTRY_VERIFY(qobject_cast<LanguagePreferencesView*>(view->currentPage()));
        auto* rebuilt = qobject_cast<LanguagePreferencesView*>(view->currentPage());
        QCOMPARE(rebuilt->languagePicker()->currentText(), u"Português"_s);
        QCOMPARE(rebuilt->languagePicker()->itemText(0), u"Padrão do sistema"_s);
        QCOMPARE(view->selectedSection(), PreferencesSection::Language);
        QCOMPARE(view->locale().name(), u"pt_BR"_s);
        QCOMPARE(m_world->settingsChanged, QList<SignalParameters>{changed("language", "language", "pt")});

        // And back, without a restart either.
        pick(rebuilt->languagePicker(), u"English"_s);
        QTRY_COMPARE(view->sidebar()->item(0)->text(), u"General"_s);
    }

    // The message box that shows the alerts of the real application

    void messageBoxAlertReportsTheChosenButton_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("expected");
        QTest::newRow("cancel button") << u"Cancel"_s << 0;
        QTest::newRow("destructive button") << u"Clear"_s << 1;
        QTest::newRow("Escape counts as cancel") << u"escape"_s << 0;
    }

    void messageBoxAlertReportsTheChosenButton()
    {
        QFETCH(QString, how);
        QFETCH(int, expected);
        QWidget parent;
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));

        Alert alert;
        alert.title = u"Clear History"_s;
        alert.message = u"<b>not markup</b>"_s;
        alert.buttons = {{u"Cancel"_s, Alert::Role::Cancel}, {u"Clear"_s, Alert::Role::Destructive}};
        int answer = -2;
        MessageBoxAlertPresenter presenter;
        presenter.present(&parent, alert, [&answer](int choice) { answer = choice; });

        QMessageBox* box = nullptr;
        QTRY_VERIFY((box = openBox()));
        QCOMPARE(answer, -2); // the caller is not blocked
        QCOMPARE(box->text(), alert.title);
        QCOMPARE(box->textFormat(), Qt::PlainText);
        if (how == u"escape") {
            QTest::keyClick(box, Qt::Key_Escape);
        } else {
            for (QAbstractButton* button : box->buttons()) {
                if (button->text() == how)
                    button->click();
            }
        }
        QTRY_COMPARE(answer, expected);
        QTRY_VERIFY(!openBox());
    }
};

OVELIN_TEST_MAIN(PreferencesWindowTest)
#include "tst_preferenceswindow.moc"

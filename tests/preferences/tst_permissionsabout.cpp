#include <QAbstractButton>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QUrlQuery>

#include "PreferencesTestSupport.h"
#include "TestMain.h"
#include "app/AppEnvironment.h"
#include "app/Settings.h"
#include "preferences/AboutPreferencesView.h"
#include "preferences/AppVersion.h"
#include "preferences/HelpViewer.h"
#include "preferences/PermissionsManager.h"
#include "preferences/PermissionsPreferencesView.h"

using namespace Qt::StringLiterals;
using namespace ovelin::test;

class PermissionsAboutTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestServices> m_world;

    template <typename Page> std::unique_ptr<Page> open()
    {
        auto page = std::make_unique<Page>(m_world->services());
        page->resize(440, 700);
        page->show();
        if (!QTest::qWaitForWindowExposed(page.get()))
            return nullptr;
        return page;
    }

private Q_SLOTS:
    void init() { m_world = std::make_unique<TestServices>(); }

    void permissionsPageShowsEachCapability_data()
    {
        QTest::addColumn<bool>("xtest");
        QTest::addColumn<bool>("xinput");
        QTest::newRow("both granted") << true << true;
        QTest::newRow("accessibility missing") << false << true;
        QTest::newRow("input monitoring missing") << true << false;
        QTest::newRow("both missing") << false << false;
    }

    void permissionsPageShowsEachCapability()
    {
        QFETCH(bool, xtest);
        QFETCH(bool, xinput);
        m_world->capabilities.setCanSynthesizeInput(xtest);
        m_world->capabilities.setCanMonitorInput(xinput);
        auto page = open<PermissionsPreferencesView>();
        QVERIFY(page);

        const auto symbol = [](bool granted) {
            return granted ? u"checkmark.shield.fill"_s : u"exclamationmark.triangle.fill"_s;
        };
        QCOMPARE(page->accessibility().symbol->objectName(), symbol(xtest));
        QCOMPARE(page->inputMonitoring().symbol->objectName(), symbol(xinput));
        QCOMPARE(page->accessibility().requestButton != nullptr, !xtest);
        QCOMPARE(page->inputMonitoring().requestButton != nullptr, !xinput);

        if (!xtest)
            click(page->accessibility().requestButton);
        if (!xinput)
            click(page->inputMonitoring().requestButton);
        QList<QUrl> expected;
        if (!xtest)
            expected.append(PermissionsManager::accessibilitySettingsURL());
        if (!xinput)
            expected.append(PermissionsManager::inputMonitoringSettingsURL());
        QCOMPARE(m_world->openedUrls, expected);
    }

    void helpPagesAreShippedWithBothSections_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("page");
        QTest::newRow("en") << u"en"_s << u"/help/permissions.html"_s;
        QTest::newRow("pt") << u"pt"_s << u"/help/permissions.pt.html"_s;
    }

    void helpPagesAreShippedWithBothSections()
    {
        QFETCH(QString, language);
        QFETCH(QString, page);
        AppEnvironment::shared().setLanguage(language);
        HelpViewer* viewer = HelpViewer::showPage(PermissionsManager::inputMonitoringSettingsURL());
        QVERIFY(viewer);
        QCOMPARE(viewer->currentPage().path(), page);
        const QString html = viewer->browser()->toHtml();
        QVERIFY(html.contains(u"XInput 2"_s));
        QVERIFY(html.contains(u"XTEST"_s));
        viewer->close();
        AppEnvironment::shared().setLanguage(u"en"_s);
    }

    void versionText_data()
    {
        QTest::addColumn<QVariantMap>("info");
        QTest::addColumn<QString>("expected");
        const QString version = u"CFBundleShortVersionString"_s;
        const QString build = u"CFBundleVersion"_s;
        QTest::newRow("both") << QVariantMap{{version, u"1.4"_s}, {build, u"27"_s}} << u"Versão 1.4 (27)"_s;
        QTest::newRow("both missing") << QVariantMap{} << u"Versão \u2013 ()"_s;
        QTest::newRow("not text") << QVariantMap{{version, 1.4}, {build, 27}} << u"Versão \u2013 ()"_s;
        QTest::newRow("build missing") << QVariantMap{{version, u"2.0"_s}} << u"Versão 2.0 ()"_s;
    }

    void versionText()
    {
        QFETCH(QVariantMap, info);
        QFETCH(QString, expected);
        QCOMPARE(::versionText(info), expected);
    }

    void aboutPageShowsTheRunningVersionAndTheStoredCheckbox()
    {
        Settings::shared().remove(QString(SettingsKey::checkUpdatesAutomatically));
        auto page = open<AboutPreferencesView>();
        QVERIFY(page);
        QCOMPARE(page->versionLabel()->text(), u"Versão 1.4 (27)"_s);
        QVERIFY(page->checkAutomaticallyBox()->isChecked());
        click(page->checkAutomaticallyBox());
        QCOMPARE(Settings::shared().value(QString(SettingsKey::checkUpdatesAutomatically)), QVariant(false));
        QCOMPARE(mainBundleInfo().value(u"CFBundleShortVersionString"_s).toString(),
                 QStringLiteral(OVELIN_TEST_VERSION));
    }

    void linksOpenTheirAddresses()
    {
        auto page = open<AboutPreferencesView>();
        QVERIFY(page);
        for (QAbstractButton* link : {page->officialSiteLink(), page->privacyPolicyLink(),
                                      page->feedbackLink(), page->learnMoreLink()})
            click(link);
        QCOMPARE(m_world->openedUrls.size(), 4);

        const QUrl site = m_world->openedUrls.at(0);
        QCOMPARE(site.scheme(), u"https"_s);
        QCOMPARE(site.path(), u"/"_s);
        QCOMPARE(site.query(),
                 u"utm_source=app&utm_medium=about&utm_campaign=organic&utm_content=official_site"_s);
        const QUrl privacy = m_world->openedUrls.at(1);
        QCOMPARE(privacy.host(), site.host());
        QCOMPARE(privacy.path(), u"/privacy"_s);
        QCOMPARE(privacy.query(),
                 u"utm_source=app&utm_medium=about&utm_campaign=organic&utm_content=privacy"_s);
        QCOMPARE(m_world->openedUrls.at(2).scheme(), u"mailto"_s);
        QVERIFY(m_world->openedUrls.at(2).path().contains(u'@'));
        const QUrl sibling = m_world->openedUrls.at(3);
        QVERIFY(sibling.host() != site.host());
        QCOMPARE(sibling.path(), u"/"_s);
        QCOMPARE(sibling.query(), u"utm_source=ovelin_app&utm_medium=about&utm_campaign=crosspromo"_s);
    }

    void siblingCardReadsAsOneElement()
    {
        auto page = open<AboutPreferencesView>();
        QVERIFY(page);
        QCOMPARE(page->exploreCard()->accessibleName(), qtTrId("about_explore_tintrove_title"));
        QCOMPARE(page->exploreCard()->accessibleDescription(), qtTrId("about_explore_learn_more"));
        QCOMPARE(AboutPreferencesView::siblingProductIcon(), u"Tintrove"_s);
        QCOMPARE(AboutPreferencesView::siblingProductIcon(u"NoSuchImage"_s), u"tray.full.fill"_s);
    }
};

OVELIN_TEST_MAIN(PermissionsAboutTest)
#include "tst_permissionsabout.moc"

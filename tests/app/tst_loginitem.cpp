#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "TestFiles.h"
#include "TestMain.h"
#include "platform/x11/XdgAutostartLoginItem.h"

using namespace Qt::StringLiterals;

class TestLoginItem : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString entryPath() const { return m_dir.filePath(u"autostart/ovelin.desktop"_s); }

    void writeEntry(const QByteArray& contents)
    {
        QDir().mkpath(m_dir.filePath(u"autostart"_s));
        QVERIFY(ovelin::test::writeFile(entryPath(), contents));
    }

    QByteArray execLine()
    {
        for (const QByteArray& line : ovelin::test::readFile(entryPath()).split('\n')) {
            if (line.startsWith("Exec="))
                return line.mid(5);
        }
        return {};
    }

private Q_SLOTS:
    void init() { QDir(m_dir.filePath(u"autostart"_s)).removeRecursively(); }

    void isEnabled_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("plain entry") << QByteArray("[Desktop Entry]\nType=Application\nExec=ovelin\n")
                                     << true;
        QTest::newRow("Hidden=true") << QByteArray("[Desktop Entry]\nExec=ovelin\nHidden=true\n") << false;
        QTest::newRow("Hidden = true, spaced") << QByteArray("[Desktop Entry]\nHidden = true\n") << false;
        QTest::newRow("Hidden=false") << QByteArray("[Desktop Entry]\nHidden=false\n") << true;
        QTest::newRow("Hidden in another group") << QByteArray("[Desktop Entry]\nExec=x\n[Desktop Action a]\n"
                                                               "Hidden=true\n")
                                                 << true;
        QTest::newRow("empty file") << QByteArray() << true;
    }

    void isEnabled()
    {
        QFETCH(QByteArray, contents);
        QFETCH(bool, enabled);
        writeEntry(contents);
        QCOMPARE(XdgAutostartLoginItem(entryPath(), u"/usr/bin/ovelin"_s).isEnabled(), enabled);
    }

    // The entry lives in the user's autostart folder; registering replaces a hidden entry,
    // removing nothing is no failure, and one that cannot be removed is reported with a description.
    // (Writing and removing the entry, and a failed registration, are the General page's cases.)
    void registeringAndRemovingTheEntry()
    {
        XdgAutostartLoginItem standard;
        QCOMPARE(standard.entryPath(),
                 ovelin::test::isolatedEnvironment().configHome() + u"/autostart/ovelin.desktop"_s);
        QVERIFY(!standard.isEnabled());
        writeEntry("[Desktop Entry]\nExec=old\nHidden=true\n");
        XdgAutostartLoginItem item(entryPath(), u"/usr/bin/ovelin"_s);
        QVERIFY(item.registerItem(nullptr));
        QVERIFY(item.isEnabled());
        QString error;
        QVERIFY(item.unregisterItem(&error));
        QVERIFY(item.unregisterItem(&error));
        QVERIFY(error.isEmpty());
        // The entry's place is taken by a folder with something in it.
        QDir().mkpath(entryPath() + u"/inside"_s);
        QVERIFY(!item.unregisterItem(&error));
        QVERIFY(!error.isEmpty());
    }

    void theEntryFollowsTheExecutableThatRuns_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QByteArray>("execAfter");
        QTest::newRow("an earlier build's") << QByteArray("[Desktop Entry]\nExec=\"/home/a/build/ovelin\"\n")
                                            << QByteArray("\"/usr/bin/ovelin\"");
        QTest::newRow("already this one")
            << QByteArray("[Desktop Entry]\nExec=\"/usr/bin/ovelin\"\nX-Mine=1\n")
            << QByteArray("\"/usr/bin/ovelin\"");
        QTest::newRow("hidden: left alone")
            << QByteArray("[Desktop Entry]\nExec=old\nHidden=true\n") << QByteArray("old");
    }
    void theEntryFollowsTheExecutableThatRuns()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QByteArray, execAfter);
        writeEntry(contents);
        QVERIFY(XdgAutostartLoginItem(entryPath(), u"/usr/bin/ovelin"_s).followExecutable(nullptr));
        QCOMPARE(execLine(), execAfter);
        if (execAfter == contents.mid(contents.indexOf("Exec=") + 5).split('\n').first())
            QCOMPARE(ovelin::test::readFile(entryPath()), contents); // not rewritten
    }

    void execQuotesEveryPathOrRefusesIt_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("exec");
        QTest::newRow("space") << u"/home/a b/ovelin"_s << QByteArray("\"/home/a b/ovelin\"");
        QTest::newRow("double quote") << u"/x/say\"hi/ovelin"_s << QByteArray("\"/x/say\\\\\"hi/ovelin\"");
        QTest::newRow("dollar and backtick")
            << u"/x/$HOME`id`/ovelin"_s << QByteArray("\"/x/\\\\$HOME\\\\`id\\\\`/ovelin\"");
        QTest::newRow("backslash") << u"/x/back\\slash"_s << QByteArray("\"/x/back\\\\\\\\slash\"");
        QTest::newRow("percent is no field code")
            << u"/x/100%u/ovelin"_s << QByteArray("\"/x/100%%u/ovelin\"");
        QTest::newRow("non-ASCII") << u"/home/joão/ovelin"_s << QByteArray("\"/home/jo\xc3\xa3o/ovelin\"");
        // Regression: a newline in the path would have started a new key of the entry.
        QTest::newRow("newline: refused, no entry")
            << u"/tmp/x\nHidden=true\nExec=/tmp/evil"_s << QByteArray();
    }

    void execQuotesEveryPathOrRefusesIt()
    {
        QFETCH(QString, path);
        QFETCH(QByteArray, exec);
        QString error;
        QCOMPARE(XdgAutostartLoginItem(entryPath(), path).registerItem(&error), !exec.isEmpty());
        QCOMPARE(error.isEmpty(), !exec.isEmpty());
        QCOMPARE(execLine(), exec);
        QCOMPARE(QFile::exists(entryPath()), !exec.isEmpty());
    }
};

OVELIN_TEST_GUILESS_MAIN(TestLoginItem)
#include "tst_loginitem.moc"

#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include "PrintedLines.h"
#include "TestMain.h"
#include "core/Settings.h"
#include "paste/PasteManager.h"
#include "paste/PasteSequence.h"
#include "platform/fake/FakeClipboardService.h"
#include "platform/fake/FakeFrontmostApplicationService.h"
#include "platform/fake/FakeKeyEventPoster.h"
#include "platform/fake/FakeSoundPlayer.h"

using namespace Qt::StringLiterals;

class TestPasteSequence : public QObject
{
    Q_OBJECT

    FakeClipboardService m_clipboard;
    FakeFrontmostApplicationService m_frontmost;
    FakeKeyEventPoster m_keys;
    FakeSoundPlayer m_sound;

private Q_SLOTS:
    // The keystroke waits for the focus to come back; the tests do not wait the real 0.2 s for it.
    void initTestCase() { PasteSequence::shared().setPasteDelay(std::chrono::milliseconds(1)); }
    void init()
    {
        m_clipboard = FakeClipboardService();
        m_keys = FakeKeyEventPoster();
        m_sound = FakeSoundPlayer();
        m_frontmost.setFrontmostApplication(FrontmostApplication{7, u"Mousepad"_s, std::nullopt, 99});
        PasteManager::installServices({&m_clipboard, &m_frontmost, &m_keys, &m_sound});
        Settings::shared().remove(QString(SettingsKey::playClickSound));
        // A case that failed half-way leaves no handler of its own behind.
        PasteSequence::shared().setHideApplicationHandler({});
    }
    void cleanupTestCase()
    {
        PasteManager::installServices({});
        PasteSequence::shared().setPasteDelay(std::chrono::milliseconds(PasteSequence::pasteDelayMs));
    }

    void runsTheStepsInOrder_data()
    {
        QTest::addColumn<int>("origin");
        QTest::addColumn<bool>("soundSetting");
        QTest::addColumn<QStringList>("sounds");
        QTest::newRow("row click plays Blow") << int(PasteOrigin::RowClick) << true << QStringList{u"Blow"_s};
        QTest::newRow("row click, sound off") << int(PasteOrigin::RowClick) << false << QStringList();
        QTest::newRow("keyboard never plays") << int(PasteOrigin::Keyboard) << true << QStringList();
        // Without a handler of the application's, Ovelin's own windows are hidden.
        QTest::newRow("default handler") << int(PasteOrigin::Keyboard) << true << QStringList();
    }
    void runsTheStepsInOrder()
    {
        QFETCH(int, origin);
        QFETCH(bool, soundSetting);
        QFETCH(QStringList, sounds);
        Settings::shared().setValue(QString(SettingsKey::playClickSound), soundSetting);
        PasteSequence& sequence = PasteSequence::shared();
        const bool defaultHandler = QByteArray(QTest::currentDataTag()) == "default handler";
        QStringList steps;
        QWidget panel;
        if (defaultHandler) {
            panel.show();
            QVERIFY(QTest::qWaitForWindowExposed(&panel));
        } else {
            sequence.setHideApplicationHandler([&] {
                steps << u"hide, clipboard written %1, keys %2"_s.arg(m_clipboard.writeCount())
                             .arg(m_keys.posted().size());
            });
        }
        QSignalSpy performed(&sequence, &PasteSequence::pastePerformed);

        sequence.paste(ClipboardItem(ClipboardItemType::text(u"hello"_s)), static_cast<PasteOrigin>(origin));

        QCOMPARE(m_sound.played(), sounds);
        QCOMPARE(steps, defaultHandler ? QStringList() : QStringList{u"hide, clipboard written 1, keys 0"_s});
        QVERIFY(!panel.isVisible());
        QVERIFY(m_keys.posted().isEmpty()); // the paste waits for the focus to come back
        QVERIFY(performed.wait(10000));
        QCOMPARE(m_keys.posted(), QList<PasteKeystroke>{PasteKeystroke::ControlV});
        QCOMPARE(performed.first().first().toString(), u"text"_s);
    }
};

OVELIN_TEST_MAIN(TestPasteSequence)
#include "tst_pastesequence.moc"

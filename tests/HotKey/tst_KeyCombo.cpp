#include <QDebug>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include "HotKey/KeyCombo.h"
#include "support/TestMain.h"

using namespace Qt::StringLiterals;

class KeyComboTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void modifierConversions_data()
    {
        QTest::addColumn<uint>("eventFlags");
        QTest::addColumn<uint>("carbonMask");
        QTest::addColumn<QString>("description");
        QTest::newRow("none") << 0u << 0u << QString();
        QTest::newRow("control") << 0x40000u << 0x1000u << u"⌃"_s;
        QTest::newRow("option") << 0x80000u << 0x0800u << u"⌥"_s;
        QTest::newRow("shift") << 0x20000u << 0x0200u << u"⇧"_s;
        QTest::newRow("command") << 0x100000u << 0x0100u << u"⌘"_s;
        QTest::newRow("all four") << 0x1E0000u << 0x1B00u << u"⌃⌥⇧⌘"_s;
    }

    void modifierConversions()
    {
        QFETCH(uint, eventFlags);
        QFETCH(uint, carbonMask);
        QFETCH(QString, description);
        QCOMPARE(ModifierFlags(eventFlags).carbonFlags(), carbonMask);
        QCOMPARE(ModifierFlags::fromCarbonFlags(carbonMask).rawValue, eventFlags);
        QCOMPARE(ModifierFlags(eventFlags).description(), description);
        // Caps lock, function, numeric pad and device bits are dropped both ways.
        QCOMPARE(ModifierFlags(eventFlags | 0x10000u | 0x800000u | 0x200000u | 0xFFu).carbonFlags(),
                 carbonMask);
        QCOMPARE(ModifierFlags::fromCarbonFlags(carbonMask | 0x0400u | 0x00FFu | 0xFFFF0000u).rawValue,
                 eventFlags);
        QCOMPARE(ModifierFlags(eventFlags | 0x10000u).description(), description);
    }

    void comboDescription_data()
    {
        QTest::addColumn<uint>("code");
        QTest::addColumn<uint>("mask");
        QTest::addColumn<QString>("description");
        QTest::newRow("control command V") << 0x09u << 0x1100u << u"⌃⌘V"_s;
        QTest::newRow("no key gives the symbols alone") << 0x34u << 0x0100u << u"⌘"_s;
        QTest::newRow("bare F10") << 0x6Du << 0u << u"\uF861F10"_s;
        QTest::newRow("foreign bits dropped") << 0x00u << 0xFFFF0400u << u"A"_s;
    }

    void comboDescription()
    {
        QFETCH(uint, code);
        QFETCH(uint, mask);
        QFETCH(QString, description);
        QCOMPARE(KeyCombo(code, mask).description(), description);
    }

    // Both numbers must be there, whole and within 32 bits.
    void dictionary()
    {
        const auto map = [](const QVariant& code, const QVariant& modifiers) {
            QVariantMap result;
            if (code.isValid())
                result.insert(u"keyCode"_s, code);
            if (modifiers.isValid())
                result.insert(u"modifiers"_s, modifiers);
            return result;
        };
        const KeyCombo combo(0x09, 0x1100);
        QCOMPARE(KeyCombo::fromDictionary(combo.dictionary()), std::optional(combo));
        QCOMPARE(KeyCombo::fromDictionary(map(qint64(0xFFFFFFFF), quint64(0x100))),
                 std::optional(KeyCombo(0xFFFFFFFF, 0x100)));
        for (const QVariantMap& invalid :
             {map({}, 0x100), map(9, {}), map(-1, 0x100), map(9, qint64(-2147483648LL)),
              map(qint64(0x100000000LL), 0), map(u"9"_s, 0), map(9.5, 0), map(true, 0), QVariantMap()})
            QVERIFY2(!KeyCombo::fromDictionary(invalid), qPrintable(QDebug::toString(invalid)));
    }

    void menuCombosIncludeSubmenusAndTheMainMenuBar()
    {
        QMenu menu;
        menu.addAction(u"Copy"_s)->setShortcut(QKeySequence(Qt::META | Qt::Key_C));
        menu.addAction(u"No shortcut"_s);
        QMenu* sub = menu.addMenu(u"More"_s);
        sub->addAction(u"Find"_s)->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_F));
        sub->addAction(u"Media"_s)->setShortcut(QKeySequence(Qt::Key_MediaNext)); // no Key for it
        menu.addAction(u"Help"_s)->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F1));

        const std::vector<KeyCombo> expected{KeyCombo(Key::c, ModifierFlags(ModifierFlags::command)),
                                             KeyCombo(Key::f, ModifierFlags(0x40000 | 0x80000)),
                                             KeyCombo(Key::f1, ModifierFlags(ModifierFlags::shift))};
        QCOMPARE(KeyCombo::keyCombos(&menu), expected);
        QVERIFY(KeyCombo::keyCombos(nullptr).empty());

        // The main window's menu bar, once there is one.
        QVERIFY(KeyCombo::mainMenuKeyCombos().empty());
        QMainWindow window;
        window.menuBar()->addMenu(u"File"_s)->addAction(u"Quit"_s)->setShortcut(
            QKeySequence(Qt::CTRL | Qt::Key_Q));
        QCOMPARE(KeyCombo::mainMenuKeyCombos(),
                 std::vector<KeyCombo>{KeyCombo(Key::q, ModifierFlags(ModifierFlags::control))});
        QVERIFY(KeyCombo::systemKeyCombos().empty());
    }
};

OVELIN_TEST_MAIN(KeyComboTest)
#include "tst_KeyCombo.moc"

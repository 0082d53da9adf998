#include <QDebug>
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

    // The key's label after the modifiers; a code without a key gives the symbols alone, and bits
    // that are no modifier are dropped.
    void comboDescription()
    {
        QCOMPARE(KeyCombo(0x09, 0x1100).description(), u"⌃⌘V"_s);
        QCOMPARE(KeyCombo(0x34, 0x0100).description(), u"⌘"_s);
        QCOMPARE(KeyCombo(0x6D, 0).description(), u"\uF861F10"_s);
        QCOMPARE(KeyCombo(0x00, 0xFFFF0400).description(), u"A"_s);
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
};

OVELIN_TEST_GUILESS_MAIN(KeyComboTest)
#include "tst_KeyCombo.moc"

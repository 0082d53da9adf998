#include <QTest>

#include "HotKey/Key.h"
#include "support/TestMain.h"

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(std::optional<Key>)

class KeyTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // name -> key -> code -> key for all 114 keys: no name or code belongs to two keys, and every
    // key gets a label. The X11 backend finds a key's keysym through its code.
    void everyKeyRoundTrips()
    {
        for (const Key key : HotKeys::allKeys()) {
            const QString name = HotKeys::caseName(key);
            QCOMPARE(HotKeys::keyFromString(name), key);
            QCOMPARE(HotKeys::keyFromString(name.toUpper()), key);
            QCOMPARE(HotKeys::keyFromCarbonKeyCode(HotKeys::carbonKeyCode(key)), key);
            QVERIFY2(!HotKeys::description(key).isEmpty(), qPrintable(name));
            for (const QString& accepted : HotKeys::acceptedNames(key))
                QCOMPARE(HotKeys::keyFromString(accepted), key);
        }
        QCOMPARE(HotKeys::caseName(Key::return_), u"return"_s);
        QCOMPARE(HotKeys::caseName(Key::delete_), u"delete"_s);
    }

    // The labels shortcuts are shown and stored with.
    void descriptions()
    {
        QStringList labels;
        for (const Key key :
             {Key::v, Key::one, Key::section, Key::space, Key::return_, Key::command, Key::rightCommand,
              Key::f1, Key::f10, Key::keypad0, Key::keypadMultiply, Key::help, Key::mute})
            labels.append(HotKeys::description(key));
        QCOMPARE(labels,
                 (QStringList{u"V"_s, u"1"_s, u"§"_s, u"␣"_s, u"↩\uFE0E"_s, u"⌘"_s, u"⌘"_s, u"\uF860F1"_s,
                              u"\uF861F10"_s, u"0"_s, u"\U0001D5D1"_s, u"?\u20DD"_s, u"🔇"_s}));
    }

    void parsing_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<Key>>("expected");
        const auto row = [](const char* tag, const QString& text, std::optional<Key> key) {
            QTest::newRow(tag) << text << key;
        };
        // Every accepted name is covered key by key above; these are spellings a stored or typed
        // shortcut may carry.
        row("V and a space is not trimmed", u"V "_s, std::nullopt);
        row("empty", QString(), std::nullopt);
        row("apple logo", u"\uF8FF"_s, Key::command);
        row("carriage return", u"\r"_s, Key::return_);
        row("return symbol 23CE", u"⏎"_s, Key::return_);
        row("space character", u" "_s, Key::space);
        row("tab character", u"\t"_s, Key::tab);
        row("fullwidth grave", u"\uFF40"_s, Key::grave);
        row("keypad symbols are not names", u"\U0001D5D1"_s, std::nullopt);
        row("two letters", u"ab"_s, std::nullopt);
        row("emoji", u"😀"_s, std::nullopt);
    }

    void parsing()
    {
        QFETCH(QString, text);
        QFETCH(std::optional<Key>, expected);
        QCOMPARE(HotKeys::keyFromString(text), expected);
    }
};

OVELIN_TEST_GUILESS_MAIN(KeyTest)
#include "tst_Key.moc"

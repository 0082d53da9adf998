#include <QTest>

#include "FakePanelPresenter.h"
#include "HotKey/FakeHotKeyBackend.h"
#include "HotKey/HotKey.h"
#include "HotKey/HotKeysController.h"
#include "activation/HotkeyManager.h"
#include "common/Console.h"
#include "core/Settings.h"
#include "platform/HotKeyShortcutService.h"
#include "support/TestMain.h"

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(std::optional<Key>)

namespace {

using FakeBackend = ovelin::test::FakeHotKeyBackend;

constexpr std::uint32_t control = ModifierFlags::control;
constexpr std::uint32_t option = ModifierFlags::option;
constexpr std::uint32_t shift = ModifierFlags::shift;
constexpr std::uint32_t command = ModifierFlags::command;

} // namespace

class HotkeyManagerTest : public QObject
{
    Q_OBJECT
    FakeBackend* m_backend = nullptr;
    FakePanelPresenter m_presenter;
    HotKeyShortcutService m_service;
    QStringList m_lines;

    // Presses the registered combination as the system would.
    HotKeysController::DispatchStatus press()
    {
        const HotKey* hotKey = m_service.hotKey();
        if (hotKey == nullptr) {
            return HotKeysController::DispatchStatus::eventNotHandledErr;
        }
        const HotKeysController::Event event{HotKeysController::signature(),
                                             *HotKeysController::hotKeyID(hotKey->identifier()),
                                             std::uint32_t(HotKeysController::EventKind::pressed)};
        return HotKeysController::dispatch(&event);
    }

private Q_SLOTS:
    void initTestCase()
    {
        auto backend = std::make_unique<FakeBackend>();
        m_backend = backend.get();
        HotKeysController::setBackend(std::move(backend));
        HotkeyManager::shared().setPresenter(&m_presenter);
        HotkeyManager::shared().setShortcutService(&m_service);
        ovelin::setLineObserverForTesting([this](const QString& line) { m_lines.append(line); });
    }

    void init()
    {
        m_lines.clear();
        m_presenter.toggles.clear();
    }

    // The empty, lower-case and 10 kB texts: invalidTextLeavesNoShortcut.
    void parsing_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<Key>>("key");
        QTest::addColumn<uint>("modifiers");
        QTest::newRow("default") << u"⌃⌘V"_s << std::optional(Key::v) << uint(control | command);
        QTest::newRow("modifier order does not matter")
            << u"⌘⌃V"_s << std::optional(Key::v) << uint(control | command);
        QTest::newRow("the last letter wins") << u"⌘AB"_s << std::optional(Key::b) << uint(command);
        QTest::newRow("all four") << u"⌃⌥⇧⌘K"_s << std::optional(Key::k)
                                  << uint(control | option | shift | command);
        QTest::newRow("digit is the main row")
            << u"⌃⌘1"_s << std::optional(Key::one) << uint(control | command);
        QTest::newRow("bare key") << u"V"_s << std::optional(Key::v) << 0u;
        QTest::newRow("modifiers only") << u"⌃⌥⇧⌘"_s << std::optional<Key>() << 0u;
        QTest::newRow("punctuation key") << u"⌘,"_s << std::optional<Key>() << 0u;
        QTest::newRow("F1 description ends in a digit")
            << u"⌘\uF860F1"_s << std::optional(Key::one) << uint(command);
        QTest::newRow("emoji") << u"⌘😀"_s << std::optional<Key>() << 0u;
        QTest::newRow("full-width letter") << u"⌘Ｖ"_s << std::optional<Key>() << 0u;
        QTest::newRow("10 kB ending in a key")
            << QString(10240, u'⇧') + u'Z' << std::optional(Key::z) << uint(shift);
    }

    void parsing()
    {
        QFETCH(QString, text);
        QFETCH(std::optional<Key>, key);
        QFETCH(uint, modifiers);
        const HotkeyManager::Shortcut shortcut = HotkeyManager::parseShortcut(text);
        QCOMPARE(shortcut.key, key);
        QCOMPARE(shortcut.modifiers.rawValue, modifiers);
    }

    void pressTogglesThePanel()
    {
        HotkeyManager::shared().registerShortcut(u"⌃⌘V"_s);
        QCOMPARE(m_backend->active.size(), 1u);
        QCOMPARE(m_backend->active.begin()->second, KeyCombo(Key::v, ModifierFlags(control | command)));
        QVERIFY(!m_service.hotKey()->keyUpHandler());

        QCOMPARE(press(), HotKeysController::DispatchStatus::noErr);
        QCOMPARE(press(), HotKeysController::DispatchStatus::noErr);
        QCOMPARE(m_presenter.toggles, QStringList({u"shortcut"_s, u"shortcut"_s}));
        QCOMPARE(m_lines, QStringList(2, u"⚡️ Atalho pressionado: ⌃⌘V"_s));

        // Without a panel to toggle, a press only prints.
        HotkeyManager::shared().setPresenter(nullptr);
        QCOMPARE(press(), HotKeysController::DispatchStatus::noErr);
        HotkeyManager::shared().setPresenter(&m_presenter);
        QCOMPARE(m_lines, QStringList(3, u"⚡️ Atalho pressionado: ⌃⌘V"_s));
    }

    void invalidTextLeavesNoShortcut_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("line");
        QTest::newRow("empty") << QString() << u"⚠️ Atalho inválido: "_s;
        QTest::newRow("lower case") << u"⌃⌘v"_s << u"⚠️ Atalho inválido: ⌃⌘v"_s;
        // A huge or garbled setting must not flood the console or forge extra lines.
        QTest::newRow("10 kB of symbols")
            << QString(10240, u'⌘') << u"⚠️ Atalho inválido: "_s + QString(64, u'⌘') + u'…';
        QTest::newRow("control characters are masked")
            << u"⌘\n✅ forged"_s << u"⚠️ Atalho inválido: ⌘\uFFFD✅ forged"_s;
    }

    void invalidTextLeavesNoShortcut()
    {
        QFETCH(QString, text);
        QFETCH(QString, line);
        HotkeyManager::shared().registerShortcut(u"⌃⌘V"_s);
        m_lines.clear();
        HotkeyManager::shared().registerShortcut(text);
        QCOMPARE(m_lines, QStringList{line});
        QCOMPARE(m_service.hotKey(), nullptr);
        QVERIFY(m_backend->active.empty());
        QCOMPARE(HotKeysController::boxCount(), 0);
        QCOMPARE(press(), HotKeysController::DispatchStatus::eventNotHandledErr);
        QVERIFY(m_presenter.toggles.isEmpty());
    }
};

OVELIN_TEST_GUILESS_MAIN(HotkeyManagerTest)
#include "tst_HotkeyManager.moc"

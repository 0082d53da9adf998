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
    void parsing()
    {
        const struct
        {
            QString text;
            std::optional<Key> key;
            std::uint32_t modifiers;
        } cases[] = {
            {u"⌃⌘V"_s, Key::v, control | command},
            {u"⌘⌃V"_s, Key::v, control | command}, // modifier order does not matter
            {u"⌘AB"_s, Key::b, command},           // the last letter wins
            {u"⌃⌘1"_s, Key::one, control | command}, // a digit is the main row's
            {u"V"_s, Key::v, 0},
            {u"⌃⌥⇧⌘"_s, std::nullopt, 0},
            {u"⌘,"_s, std::nullopt, 0},
            {u"⌘\uF860F1"_s, Key::one, command}, // F1's label ends in a digit
            {u"⌘😀"_s, std::nullopt, 0},
            {u"⌘Ｖ"_s, std::nullopt, 0}, // full-width letter
            {QString(10240, u'⇧') + u'Z', Key::z, shift},
        };
        for (const auto& c : cases) {
            const HotkeyManager::Shortcut shortcut = HotkeyManager::parseShortcut(c.text);
            QCOMPARE(shortcut.key, c.key);
            QCOMPARE(shortcut.modifiers.rawValue, c.modifiers);
        }
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

        // A new shortcut retires the old one.
        HotkeyManager::shared().registerShortcut(u"⌥⇧K"_s);
        QCOMPARE(m_backend->active.size(), 1u);
        QCOMPARE(m_backend->active.begin()->second, KeyCombo(Key::k, ModifierFlags(option | shift)));
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

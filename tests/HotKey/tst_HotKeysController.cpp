#include <QTest>

#include "HotKey/FakeHotKeyBackend.h"
#include "HotKey/HotKey.h"
#include "HotKey/HotKeysController.h"
#include "support/TestMain.h"

namespace {

using FakeBackend = ovelin::test::FakeHotKeyBackend;
using Status = HotKeysController::DispatchStatus;

Status send(std::uint32_t id, HotKeysController::EventKind kind)
{
    const HotKeysController::Event event{HotKeysController::signature(), id,
                                         static_cast<std::uint32_t>(kind)};
    return HotKeysController::dispatch(&event);
}

constexpr auto pressed = HotKeysController::EventKind::pressed;
constexpr auto released = HotKeysController::EventKind::released;

} // namespace

class HotKeysControllerTest : public QObject
{
    Q_OBJECT
    FakeBackend* m_backend = nullptr;

private Q_SLOTS:
    void init()
    {
        auto backend = std::make_unique<FakeBackend>();
        m_backend = backend.get();
        HotKeysController::setBackend(std::move(backend));
    }

    // A released hot key's ID is never handed out again, so a late event for it reaches no other.
    void idsAreNeverReused()
    {
        auto first = HotKey::create(Key::v, ModifierFlags(ModifierFlags::command));
        const QUuid firstIdentifier = first->identifier();
        const std::uint32_t firstID = *HotKeysController::hotKeyID(firstIdentifier);
        first.reset();
        QCOMPARE(HotKeysController::hotKeyID(firstIdentifier), std::nullopt);
        QCOMPARE(m_backend->unregistered,
                 std::vector<HotKeyBackend::Handle>{m_backend->registered[0].handle});

        auto second = HotKey::create(KeyCombo(0x09, 0x1100));
        QCOMPARE(HotKeysController::hotKeyID(second->identifier()), firstID + 1);
        QCOMPARE(m_backend->registered.back().signature, HotKeysController::signature());
        QCOMPARE(m_backend->registered.back().id, firstID + 1);
        QCOMPARE(m_backend->handlerInstalls, 1);
    }

    void pauseAndResumeGiveANewID()
    {
        int presses = 0;
        auto hotKey = HotKey::create(0x09, 0x1100, [&] { ++presses; });
        const std::uint32_t oldID = *HotKeysController::hotKeyID(hotKey->identifier());

        hotKey->setPaused(true);
        QCOMPARE(HotKeysController::hotKeyID(hotKey->identifier()), std::nullopt);
        QCOMPARE(send(oldID, pressed), Status::eventNotHandledErr);
        // A registration kept by the system while paused must still not run the handler.
        HotKeysController::registerHotKey(hotKey);
        QCOMPARE(send(*HotKeysController::hotKeyID(hotKey->identifier()), pressed),
                 Status::eventNotHandledErr);
        HotKeysController::unregisterHotKey(hotKey->identifier());

        hotKey->setPaused(false);
        const std::uint32_t newID = *HotKeysController::hotKeyID(hotKey->identifier());
        QVERIFY(newID > oldID);
        QCOMPARE(send(oldID, pressed), Status::eventNotHandledErr);
        QCOMPARE(send(newID, pressed), Status::noErr);
        QCOMPARE(presses, 1);

        // Un-pausing a registered hot key does not register it twice.
        hotKey->setPaused(false);
        QCOMPARE(HotKeysController::hotKeyID(hotKey->identifier()), newID);
    }

    // Only a press or release, in this module's signature, of a registered hot key with a handler
    // for it is handled; anything else is left to the system.
    void dispatchOutcomes()
    {
        int downs = 0;
        int ups = 0;
        const auto idOf = [](const std::shared_ptr<HotKey>& hotKey) {
            return *HotKeysController::hotKeyID(hotKey->identifier());
        };
        const ModifierFlags control(ModifierFlags::control);
        auto both = HotKey::create(
            Key::k, control, [&] { ++downs; }, [&] { ++ups; });
        QCOMPARE(send(idOf(both), pressed), Status::noErr);
        QCOMPARE(send(idOf(both), released), Status::noErr);
        QCOMPARE(HotKeysController::dispatch(nullptr), Status::eventNotHandledErr);
        // The same letters in another order.
        const HotKeysController::Event foreign{0x4B795A76, idOf(both), std::uint32_t(pressed)};
        QCOMPARE(HotKeysController::dispatch(&foreign), Status::eventNotHandledErr);
        QCOMPARE(send(idOf(both) + 1000, pressed), Status::eventNotHandledErr);
        QCOMPARE(send(idOf(both), HotKeysController::EventKind(7)), Status::eventNotHandledErr);

        auto downOnly = HotKey::create(Key::j, control, [&] { ++downs; });
        auto upOnly = HotKey::create(Key::l, control, HotKey::Handler(), [&] { ++ups; });
        QCOMPARE(send(idOf(downOnly), released), Status::eventNotHandledErr);
        QCOMPARE(send(idOf(upOnly), pressed), Status::eventNotHandledErr);
        QCOMPARE(downs, 1);
        QCOMPARE(ups, 1);
    }

    void refusedRegistrationKeepsABoxWithoutHandle()
    {
        const KeyCombo taken(Key::t, ModifierFlags(ModifierFlags::control));
        m_backend->refused.push_back(taken);
        const int boxesBefore = HotKeysController::boxCount();
        auto hotKey = HotKey::create(taken, [] {});
        QVERIFY(HotKeysController::hotKeyID(hotKey->identifier()).has_value());
        QVERIFY(!HotKeysController::hasSystemHandle(hotKey->identifier()));
        QCOMPARE(m_backend->handlerInstalls, 0); // installed only after a success
        QCOMPARE(HotKeysController::boxCount(), boxesBefore + 1);

        // Registering again does nothing until the box is gone, even once the system would accept.
        m_backend->refused.clear();
        HotKeysController::registerHotKey(hotKey);
        QVERIFY(!HotKeysController::hasSystemHandle(hotKey->identifier()));
        QVERIFY(m_backend->registered.empty());

        hotKey.reset();
        QCOMPARE(HotKeysController::boxCount(), boxesBefore);
        QVERIFY(m_backend->unregistered.empty()); // nothing to give back to the system
    }

    void handlerMayReleaseItsOwnHotKey()
    {
        std::shared_ptr<HotKey> hotKey;
        bool ran = false;
        hotKey = HotKey::create(Key::r, ModifierFlags(ModifierFlags::command), [&] {
            hotKey.reset(); // as a handler that registers a new shortcut does
            ran = true;
        });
        const std::uint32_t id = *HotKeysController::hotKeyID(hotKey->identifier());
        QCOMPARE(send(id, pressed), Status::noErr);
        QVERIFY(ran);
        QCOMPARE(send(id, released), Status::eventNotHandledErr);
    }
};

OVELIN_TEST_MAIN(HotKeysControllerTest)
#include "tst_HotKeysController.moc"

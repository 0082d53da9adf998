// The history key in a real gnome-keyring-daemon, on a session bus of the test's own whose
// service folder is empty: nothing else is started on it.
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <libsecret/secret.h>

#include "PrivateBus.h"
#include "TestFiles.h"
#include "TestMain.h"
#include "history/ClipboardStorage.h"
#include "history/HistoryCipher.h"
#include "platform/secret/SecretServiceKeyStore.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int patience = 20000;
const QString secrets = u"org.freedesktop.secrets"_s;

} // namespace

class TestSecretKeyStore : public QObject
{
    Q_OBJECT
    QTemporaryDir m_folder;
    ovelin::test::PrivateBus m_busDaemon;
    QProcess m_keyring;
    QString m_path;

    QDBusConnection bus() const { return QDBusConnection(u"keyring-bus"_s); }

    std::unique_ptr<ClipboardStorage> open(bool encrypted, QList<ClipboardItem>* loaded = nullptr)
    {
        // A fresh client each time, as a restarted Ovelin is.
        secret_service_disconnect();
        auto storage = ClipboardStorage::atPath(m_path);
        storage->setKeyStore(std::make_unique<SecretServiceKeyStore>(m_path, std::chrono::seconds(60)));
        storage->setEncrypted(encrypted);
        QList<ClipboardItem> items = storage->load();
        if (loaded)
            *loaded = std::move(items);
        return storage;
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(u"gnome-keyring-daemon"_s).isEmpty())
            QSKIP("gnome-keyring is not installed (scripts/deps.sh installs it)");
        QVERIFY(m_folder.isValid());
        const QString address = m_busDaemon.start();
        QVERIFY2(!address.isEmpty(), "dbus-daemon did not start");
        // libsecret reaches the session bus through the environment.
        qputenv("DBUS_SESSION_BUS_ADDRESS", address.toUtf8());
        QVERIFY(QDBusConnection::connectToBus(address, u"keyring-bus"_s).isConnected());
        QDir().mkpath(qEnvironmentVariable("XDG_RUNTIME_DIR"));
        QFile::setPermissions(qEnvironmentVariable("XDG_RUNTIME_DIR"),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        m_path = m_folder.filePath(u"clipboard_history.json"_s);
    }

    void cleanupTestCase()
    {
        secret_service_disconnect();
        QDBusConnection::disconnectFromBus(u"keyring-bus"_s);
        m_keyring.kill();
        m_keyring.waitForFinished(patience);
    }

    // Before any keyring runs on the bus: no Secret Service, not "no key", which would start a new
    // key and replace the encrypted file (what the store does then is tst_clipboardstorage's).
    void noSecretServiceIsUnavailable()
    {
        secret_service_disconnect();
        QCOMPARE(SecretServiceKeyStore(m_path).lookup().status, HistoryKeyStore::Status::Unavailable);
    }

    void encryptedHistoryComesBackAfterRestartOnOffOn()
    {
        m_keyring.setStandardOutputFile(QProcess::nullDevice());
        m_keyring.setStandardErrorFile(QProcess::nullDevice());
        m_keyring.start(u"gnome-keyring-daemon"_s,
                        {u"--foreground"_s, u"--components=secrets"_s, u"--unlock"_s});
        QVERIFY(m_keyring.waitForStarted(patience));
        // The login keyring's password, read once from standard input.
        m_keyring.write("test password");
        m_keyring.closeWriteChannel();
        QTRY_VERIFY_WITH_TIMEOUT(bus().interface()->isServiceRegistered(secrets).value(), patience);
        const QList<ClipboardItem> items{ClipboardItem(ClipboardItemType::text(u"password hunter2"_s)),
                                         ClipboardItem(ClipboardItemType::image(QByteArray(64 * 1024, 'P')))};
        open(true)->save(items);
        const QByteArray sealed = ovelin::test::readFile(m_path);
        QVERIFY(HistoryCipher::isEncrypted(sealed));
        QVERIFY(!sealed.contains("hunter2"));
        secret_service_disconnect();
        const HistoryKeyStore::Result key = SecretServiceKeyStore(m_path).lookup();
        QCOMPARE(key.status, HistoryKeyStore::Status::Found);
        QCOMPARE(key.key.size(), HistoryCipher::keySize);
        QVERIFY(!sealed.contains(key.key) && !sealed.contains(key.key.toBase64()));

        for (const bool encrypted : {false, true, false, true}) {
            QList<ClipboardItem> loaded;
            auto storage = open(encrypted, &loaded);
            QCOMPARE(loaded, items);
            storage->save(loaded);
            storage->waitForPendingSaves();
            QCOMPARE(HistoryCipher::isEncrypted(ovelin::test::readFile(m_path)), encrypted);
        }
        // Still the first key: one item, never replaced.
        secret_service_disconnect();
        SecretServiceKeyStore store(m_path);
        QCOMPARE(store.lookup().key, key.key);


        // Locked: its unlock prompt cannot be shown here (no prompter on the bus), which is what a
        // dismissed prompt looks like; the time-out covers a prompt that hangs instead.
        QDBusMessage lock = QDBusMessage::createMethodCall(secrets, u"/org/freedesktop/secrets"_s,
                                                           u"org.freedesktop.Secret.Service"_s, u"Lock"_s);
        lock << QVariant::fromValue(
            QList<QDBusObjectPath>{QDBusObjectPath(u"/org/freedesktop/secrets/collection/login"_s)});
        QCOMPARE(bus().call(lock, QDBus::Block, patience).type(), QDBusMessage::ReplyMessage);
        secret_service_disconnect();
        QCOMPARE(SecretServiceKeyStore(m_path, std::chrono::seconds(15)).lookup().status,
                 HistoryKeyStore::Status::Locked);
    }
};

OVELIN_TEST_GUILESS_MAIN(TestSecretKeyStore)
#include "tst_secretkeystore.moc"

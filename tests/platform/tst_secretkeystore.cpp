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

#include "PrintedLines.h"
#include "TestFiles.h"
#include "TestMain.h"
#include "history/ClipboardStorage.h"
#include "history/HistoryCipher.h"
#include "platform/fake/FakeHistoryKeyStore.h"
#include "platform/secret/SecretServiceKeyStore.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int patience = 20000;
const QString secrets = u"org.freedesktop.secrets"_s;

QList<ClipboardItem> secretItems()
{
    return {ClipboardItem(ClipboardItemType::text(u"password hunter2"_s)),
            ClipboardItem(ClipboardItemType::image(QByteArray(64 * 1024, 'P')))};
}

} // namespace

class TestSecretKeyStore : public QObject
{
    Q_OBJECT
    QTemporaryDir m_folder;
    QProcess m_busDaemon;
    QProcess m_keyring;
    QString m_path;

    QDBusConnection bus() const { return QDBusConnection(u"keyring-bus"_s); }

    std::unique_ptr<ClipboardStorage> open(bool encrypted, QList<ClipboardItem>* loaded = nullptr,
                                           std::chrono::milliseconds promptTimeout = std::chrono::seconds(60))
    {
        // A fresh client each time, as a restarted Ovelin is.
        secret_service_disconnect();
        auto storage = ClipboardStorage::atPath(m_path);
        storage->setKeyStore(std::make_unique<SecretServiceKeyStore>(m_path, promptTimeout));
        storage->setEncrypted(encrypted);
        QList<ClipboardItem> items = storage->load();
        if (loaded)
            *loaded = std::move(items);
        return storage;
    }

    void writeWithFakeKey()
    {
        auto storage = ClipboardStorage::atPath(m_path);
        storage->setKeyStore(std::make_unique<FakeHistoryKeyStore>(std::make_shared<FakeKeyring>()));
        storage->setEncrypted(true);
        storage->save(secretItems());
    }

    void ensureKeyring()
    {
        if (m_keyring.state() != QProcess::NotRunning)
            return;
        m_keyring.setStandardOutputFile(QProcess::nullDevice());
        m_keyring.setStandardErrorFile(QProcess::nullDevice());
        m_keyring.start(u"gnome-keyring-daemon"_s,
                        {u"--foreground"_s, u"--components=secrets"_s, u"--unlock"_s});
        QVERIFY(m_keyring.waitForStarted(patience));
        // The login keyring's password, read once from standard input.
        m_keyring.write("test password");
        m_keyring.closeWriteChannel();
        QTRY_VERIFY_WITH_TIMEOUT(bus().interface()->isServiceRegistered(secrets).value(), patience);
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(u"gnome-keyring-daemon"_s).isEmpty())
            QSKIP("gnome-keyring is not installed (scripts/deps.sh installs it)");
        QVERIFY(m_folder.isValid());
        QVERIFY(QDir().mkpath(m_folder.filePath(u"services"_s)));
        const QString config = m_folder.filePath(u"bus.conf"_s);
        QVERIFY(ovelin::test::writeFile(
            config, u"<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\" "
                    "\"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                    "<busconfig><type>session</type><listen>unix:tmpdir=%1</listen>"
                    "<servicedir>%2</servicedir>"
                    "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                    "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n"_s
                        .arg(m_folder.path(), m_folder.filePath(u"services"_s))
                        .toUtf8()));
        m_busDaemon.start(u"dbus-daemon"_s,
                          {u"--config-file="_s + config, u"--nofork"_s, u"--print-address=1"_s});
        QVERIFY(m_busDaemon.waitForStarted(patience));
        QTRY_VERIFY_WITH_TIMEOUT(m_busDaemon.canReadLine(), patience);
        const QString address = QString::fromUtf8(m_busDaemon.readLine()).trimmed();
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
        for (QProcess* process : {&m_keyring, &m_busDaemon}) {
            process->kill();
            process->waitForFinished(patience);
        }
    }

    void cleanup()
    {
        QFile::remove(m_path);
        for (const QString& aside : QDir(m_folder.path()).entryList({u"*.unreadable-*"_s}))
            QFile::remove(m_folder.filePath(aside));
    }

    // Before any keyring runs on the bus: an encrypted file stays as it is.
    void noSecretServiceKeepsTheEncryptedFile()
    {
        writeWithFakeKey();
        const QByteArray before = ovelin::test::readFile(m_path);
        ovelin::test::PrintedLines printed;
        QList<ClipboardItem> loaded;
        auto storage = open(true, &loaded);
        QVERIFY(loaded.isEmpty());
        QCOMPARE(printed.count(u"🔒 Histórico criptografado não aberto ("_s), 1);
        storage->save(secretItems());
        storage->waitForPendingSaves();
        QCOMPARE(printed.count(u"❌ Erro ao salvar histórico: "_s), 1);
        QCOMPARE(ovelin::test::readFile(m_path), before);

        secret_service_disconnect();
        QCOMPARE(SecretServiceKeyStore(m_path).lookup().status, HistoryKeyStore::Status::Unavailable);
    }

    void encryptedHistoryComesBackAfterRestartOnOffOn()
    {
        ensureKeyring();
        if (QTest::currentTestFailed())
            return;
        const QList<ClipboardItem> items = secretItems();
        {
            auto storage = open(true);
            storage->save(items);
        }
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
        QCOMPARE(SecretServiceKeyStore(m_path).lookup().key, key.key);
    }

    void keyThatNoLongerOpensTheFileKeepsItAside()
    {
        ensureKeyring();
        if (QTest::currentTestFailed())
            return;
        {
            auto storage = open(true);
            storage->save(secretItems());
        }
        const QByteArray sealed = ovelin::test::readFile(m_path);
        secret_service_disconnect();
        QCOMPARE(SecretServiceKeyStore(m_path).store(HistoryCipher::generateKey()).status,
                 HistoryKeyStore::Status::Found);
        QList<ClipboardItem> loaded;
        auto storage = open(true, &loaded);
        QVERIFY(loaded.isEmpty());
        const QStringList aside = QDir(m_folder.path()).entryList({u"*.unreadable-*"_s});
        QCOMPARE(aside.size(), 1);
        QCOMPARE(ovelin::test::readFile(m_folder.filePath(aside.first())), sealed);
    }

    // Last: the keyring stays locked. Its unlock prompt cannot be shown here (no prompter on
    // the bus), which is what a dismissed prompt looks like; the time-out covers a prompt that
    // hangs instead.
    void lockedKeyringDeclinedKeepsTheFile()
    {
        ensureKeyring();
        if (QTest::currentTestFailed())
            return;
        {
            auto storage = open(true);
            storage->save(secretItems());
        }
        const QByteArray before = ovelin::test::readFile(m_path);
        QDBusMessage lock = QDBusMessage::createMethodCall(secrets, u"/org/freedesktop/secrets"_s,
                                                           u"org.freedesktop.Secret.Service"_s, u"Lock"_s);
        lock << QVariant::fromValue(
            QList<QDBusObjectPath>{QDBusObjectPath(u"/org/freedesktop/secrets/collection/login"_s)});
        QCOMPARE(bus().call(lock, QDBus::Block, patience).type(), QDBusMessage::ReplyMessage);

        ovelin::test::PrintedLines printed;
        QList<ClipboardItem> loaded;
        auto storage = open(true, &loaded, std::chrono::seconds(15));
        QVERIFY(loaded.isEmpty());
        QCOMPARE(printed.count(u"🔒 Histórico criptografado não aberto ("_s), 1);
        for (int i = 0; i < 2; ++i) {
            storage->save(secretItems());
            storage->waitForPendingSaves();
        }
        QCOMPARE(printed.count(u"❌ Erro ao salvar histórico: "_s), 1);
        QCOMPARE(ovelin::test::readFile(m_path), before);
        QVERIFY(QDir(m_folder.path()).entryList({u"*.unreadable-*"_s}).isEmpty());
    }
};

OVELIN_TEST_GUILESS_MAIN(TestSecretKeyStore)
#include "tst_secretkeystore.moc"

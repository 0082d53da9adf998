#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QScopeGuard>

#include "app/TrayHost.h"
#include "support/TestIngestionServer.h"
#include "support/TestMain.h"

using namespace Qt::StringLiterals;

namespace {

const QString startupLine = QStringLiteral("🚀 OvelinApp iniciado com AppDelegate ✅");

/// Ovelin in a clean HOME of its own, its runtime folder inside it too (so the privacy check sees
/// every file it writes), posting to the loopback server; null when it never printed its start-up line.
QProcess* startOvelin(ovelin::test::Home& home, const QUrl& analyticsUrl)
{
    const QString runtime = home.path() + QStringLiteral("/runtime");
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QProcessEnvironment environment = home.environment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    environment.insert(QStringLiteral("OVELIN_ANALYTICS_URL"), analyticsUrl.toString());
    QProcess* ovelin = home.start({}, environment);
    return ovelin::test::waitForLine(ovelin, startupLine, 1, 10000) ? ovelin : nullptr;
}

/// The first accepted record of the type, and of the given source if one is given.
std::optional<QJsonObject> findRecord(const TestIngestionServer& server, const QString& type,
                                      const QString& source = {})
{
    for (const QJsonObject& record : server.acceptedRecords()) {
        if (record.value(u"type"_s).toString() == type &&
            (source.isEmpty() ||
             record.value(u"payload"_s).toObject().value(u"source"_s).toString() == source))
            return record;
    }
    return std::nullopt;
}

} // namespace

class TestTelemetryEndToEnd : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("needs an X server (DISPLAY is not set)");
    }

    // A launch, a paste and the preferences post their signals, and the copied text is in none of
    // them, nor in any file but the history.
    void signalsGoOutButTheCopiedTextNever()
    {
        TestIngestionServer server;
        QVERIFY(server.listen());
        ovelin::test::TrayHost tray;
        QVERIFY2(tray.start(), "trayer is missing");
        ovelin::test::PrivateBus bus;
        ovelin::test::Home home(bus.start());
        QProcess* ovelin = startOvelin(home, server.baseUrl());
        QVERIFY(ovelin);

        const QByteArray marker = "ovelin-privacy-marker-7f3a9c2e";
        QProcess copier; // owns the clipboard until someone else takes it
        const auto stopCopier = qScopeGuard([&copier] {
            copier.kill();
            copier.waitForFinished();
        });
        copier.start(QStringLiteral("xclip"), {QStringLiteral("-quiet"), QStringLiteral("-selection"),
                                               QStringLiteral("clipboard"), QStringLiteral("-i")});
        QVERIFY(copier.waitForStarted());
        copier.write(marker);
        copier.closeWriteChannel();

        const QString historyFile = home.dataFolder() + QStringLiteral("/clipboard_history.json");
        const auto historyHoldsMarker = [&] {
            QFile file(historyFile);
            return file.open(QIODevice::ReadOnly) && file.readAll().contains(marker);
        };
        QTRY_VERIFY2_WITH_TIMEOUT(historyHoldsMarker(), "the copied text never reached the history", 15000);

        // Paste it from the panel (shown at launch): select the newest entry and press Return.
        // Then summon the panel again with the default shortcut.
        using ovelin::test::xdotool;
        xdotool({u"search"_s, u"--sync"_s, u"--name"_s, u"^Ovelin$"_s, u"windowactivate"_s, u"--sync"_s});
        xdotool({u"key"_s, u"Down"_s});
        xdotool({u"key"_s, u"Return"_s});
        // The paste engine says what it did 0.2 s after the panel hides.
        QVERIFY(ovelin::test::waitFor(
            [&] {
                const QString output = ovelin::test::outputOf(ovelin);
                return output.contains(QStringLiteral("Usando")) || output.contains(QStringLiteral("🚫"));
            },
            15000));
        xdotool({u"key"_s, u"ctrl+super+v"_s});

        // And open the preferences the way a person does, from the tray (whose icon the paste,
        // which hides Ovelin's windows, must have left in place).
        QVERIFY(ovelin::test::waitFor([] { return !ovelin::test::trayIcon().isEmpty(); }, 15000));
        QVERIFY(ovelin::test::clickTrayMenuRow(MenuBarContent::PreferencesItem));

        // Wait for the upload ticks that carry what those actions produced (the first comes ten
        // seconds after the client starts).
        QTRY_VERIFY_WITH_TIMEOUT(findRecord(server, u"AppLaunched"_s).has_value(), 12000);
        const QJsonObject launched = *findRecord(server, u"AppLaunched"_s);
        QCOMPARE(launched.value(u"appID"_s).toString(), u"6F0C2E91-3B7A-4D58-A1E4-92C7B05D3F18"_s);
        const QJsonObject payload = launched.value(u"payload"_s).toObject();
        QCOMPARE(payload.value(u"app"_s).toString(), u"Ovelin"_s);
        QVERIFY(!payload.value(u"appVersion"_s).toString().isEmpty());
        QVERIFY(!payload.value(u"build"_s).toString().isEmpty());
        QCOMPARE(server.requests().first().path, QByteArray("/v2/"));
        // The client's own session signal goes out beside the application's.
        QTRY_VERIFY_WITH_TIMEOUT(findRecord(server, u"Beacon.Session.started"_s).has_value(), 12000);
        QTRY_VERIFY_WITH_TIMEOUT(findRecord(server, u"WindowOpened"_s, u"launch"_s).has_value(), 12000);
        QTRY_VERIFY_WITH_TIMEOUT(findRecord(server, QStringLiteral("PreferencesOpened")).has_value(), 12000);
        QTRY_VERIFY_WITH_TIMEOUT(findRecord(server, QStringLiteral("PastePerformed")).has_value() ||
                                     ovelin->state() != QProcess::Running,
                                 12000);
        const bool pasted = findRecord(server, QStringLiteral("PastePerformed")).has_value();

        for (const QByteArray& body : server.bodies())
            QVERIFY2(!body.contains(marker), body.constData());

        // Nor is it written anywhere but the history file.
        QDirIterator files(home.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QString path = files.next();
            if (path == historyFile)
                continue;
            QFile file(path);
            if (file.open(QIODevice::ReadOnly))
                QVERIFY2(!file.readAll().contains(marker), qPrintable(path));
        }

        // Without a paste the check above covered less than it should.
        QVERIFY2(pasted, "no PastePerformed signal arrived: the paste from the panel did not happen");
        const QJsonObject paste =
            findRecord(server, QStringLiteral("PastePerformed"))->value(u"payload"_qs).toObject();
        QCOMPARE(paste.value(QStringLiteral("contentType")).toString(), QStringLiteral("text"));
    }
};

OVELIN_TEST_MAIN(TestTelemetryEndToEnd)
#include "tst_TelemetryEndToEnd.moc"

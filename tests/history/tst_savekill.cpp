#include <csignal>

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include "TestFiles.h"
#include "TestMain.h"
#include "history/HistoryCipher.h"
#include "history/HistoryFileCodec.h"

using namespace Qt::StringLiterals;

class TestSaveKill : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A kill in the middle of a write must leave the previous complete file, never a torn one,
    // and never one older than the last save that was reported done. The benchmark set runs
    // many more rounds through OVELIN_KILL_ROUNDS.
    void fileAlwaysParsesAfterSigkill_data()
    {
        QTest::addColumn<bool>("encrypted");
        QTest::newRow("plain") << false;
        QTest::newRow("encrypted") << true;
    }
    void fileAlwaysParsesAfterSigkill()
    {
        QFETCH(bool, encrypted);
        const int rounds = qEnvironmentVariableIntValue("OVELIN_KILL_ROUNDS") > 0
                               ? qEnvironmentVariableIntValue("OVELIN_KILL_ROUNDS")
                               : 12;
        QTemporaryDir dir;
        const QString path = dir.filePath(u"clipboard_history.json"_s);
        int checked = 0;
        QStringList broken;
        QStringList shortened;
        for (int round = 0; round < rounds; ++round) {
            QProcess saver;
            saver.start(QString::fromUtf8(SAVE_LOOP_EXECUTABLE),
                        encrypted ? QStringList{path, u"encrypted"_s} : QStringList{path});
            QVERIFY(saver.waitForStarted());
            QByteArray output;
            // The first round lets one save finish: on a loaded machine the first save can take
            // longer than any kill delay, and then no round would have a file to check.
            if (round == 0)
                QTRY_VERIFY_WITH_TIMEOUT((output += saver.readAllStandardOutput()).contains("saved 0"),
                                         60000);
            QTest::qWait(150 + int(QRandomGenerator::global()->bounded(400)));
            ::kill(pid_t(saver.processId()), SIGKILL);
            QVERIFY(saver.waitForFinished());

            int lastSaved = -1;
            output += saver.readAllStandardOutput();
            for (const QByteArray& line : output.split('\n')) {
                if (line.startsWith("saved "))
                    lastSaved = line.mid(6).toInt();
            }
            if (!QFile::exists(path)) {
                if (lastSaved >= 0)
                    shortened.append(u"round %1: file missing after save %2"_s.arg(round).arg(lastSaved));
                continue; // killed before the first save finished
            }
            QByteArray bytes = ovelin::test::readFile(path);
            if (encrypted) {
                const auto opened = HistoryCipher::decrypt(bytes, QByteArray(32, 'k'));
                bytes = opened.ok() ? opened.plain : QByteArray("not opened: ") + opened.error.toUtf8();
            }
            const auto decoded = HistoryFileCodec::decode(bytes);
            ++checked;
            if (!decoded.ok()) {
                broken.append(u"round %1: "_s.arg(round) + decoded.error);
                continue;
            }
            // 20 images and one text per save of this run (an earlier run's file holds fewer).
            if (decoded.items.size() < 21 + lastSaved || decoded.items.size() < 21)
                shortened.append(u"round %1: %2 items after save %3"_s.arg(round)
                                     .arg(decoded.items.size())
                                     .arg(lastSaved));
        }
        qInfo("%s kill rounds: %d, files checked: %d, broken: %lld, shortened: %lld",
              encrypted ? "encrypted" : "plain", rounds, checked, static_cast<long long>(broken.size()),
              static_cast<long long>(shortened.size()));
        QVERIFY2(broken.isEmpty(), qPrintable(broken.join(u'\n')));
        QVERIFY2(shortened.isEmpty(), qPrintable(shortened.join(u'\n')));
        QVERIFY(checked > 0);
    }
};

OVELIN_TEST_GUILESS_MAIN(TestSaveKill)
#include "tst_savekill.moc"

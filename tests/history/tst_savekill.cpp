#include <csignal>

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include "TestMain.h"
#include "history/HistoryFileCodec.h"

using namespace Qt::StringLiterals;

class TestSaveKill : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A kill in the middle of a write must leave the previous complete file, never a torn one.
    void fileAlwaysParsesAfterSigkill()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"clipboard_history.json"_s);
        int checked = 0;
        for (int round = 0; round < 12; ++round) {
            QProcess saver;
            saver.start(QString::fromUtf8(SAVE_LOOP_EXECUTABLE), {path});
            QVERIFY(saver.waitForStarted());
            QTest::qWait(150 + int(QRandomGenerator::global()->bounded(400)));
            ::kill(pid_t(saver.processId()), SIGKILL);
            QVERIFY(saver.waitForFinished());

            QFile file(path);
            if (!file.exists())
                continue; // killed before the first save finished
            QVERIFY(file.open(QIODevice::ReadOnly));
            const auto decoded = HistoryFileCodec::decode(file.readAll());
            QVERIFY2(decoded.ok(), qPrintable(decoded.error));
            QVERIFY(decoded.items.size() >= 21);
            ++checked;
        }
        QVERIFY(checked > 0);
    }
};

OVELIN_TEST_GUILESS_MAIN(TestSaveKill)
#include "tst_savekill.moc"

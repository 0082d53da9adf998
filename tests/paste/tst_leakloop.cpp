// Captures and pastes in a loop: every kind of content through the monitor, the history and
// the paste manager. Under the sanitizer build the test runs with leak detection on, so a block
// that Ovelin's code loses on this path fails it.
#include <QTest>

#include "TestMain.h"
#include "history/ClipboardHistory.h"
#include "history/ClipboardMonitor.h"
#include "history/ClipboardStorage.h"
#include "paste/PasteManager.h"
#include "platform/fake/FakeClipboardService.h"
#include "platform/fake/FakeFrontmostApplicationService.h"
#include "platform/fake/FakeKeyEventPoster.h"

using namespace Qt::StringLiterals;

class TestLeakLoop : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void captureAndPasteLoop()
    {
        FakeClipboardService clipboard;
        FakeFrontmostApplicationService frontmost;
        FakeKeyEventPoster keys;
        PasteManager::installServices({&clipboard, &frontmost, &keys, nullptr});
        ClipboardHistory history;
        history.setLimit(10);
        ClipboardMonitor monitor(&history, clipboard);

        for (int i = 0; i < 120; ++i) {
            ClipboardSnapshot snapshot;
            if (i % 4 == 0) {
                snapshot.text = u"text %1"_s.arg(i);
                snapshot.rtf = QByteArray("{\\rtf1 text}");
            } else if (i % 4 == 1) {
                snapshot.uriList = {u"file:///tmp/a%1.txt"_s.arg(i), u"file:///tmp/b.txt"_s};
            } else if (i % 4 == 2) {
                snapshot.image = QByteArray(4096, char(i));
            } else {
                snapshot.text = u"https://example.org/%1"_s.arg(i);
            }
            clipboard.setSnapshot(snapshot);
            monitor.checkPasteboard();
            PasteManager::shared().copyToPasteboard(history.history().first());
            PasteManager::shared().performPaste();
            // The paste comes back as a capture, as it does in the running application.
            monitor.checkPasteboard();
            if (i % 10 == 9)
                history.deleteItem(history.history().last().id());
            PasteManager::shared().releaseTemporaryImages(history.history());
        }
        QVERIFY(history.history().size() <= 10);
        history.clearHistory();
        history.storage().waitForPendingSaves();
        PasteManager::shared().removeTemporaryImages();
        PasteManager::installServices({});
    }
};

OVELIN_TEST_MAIN(TestLeakLoop)
#include "tst_leakloop.moc"

#include <atomic>
#include <fstream>
#include <string>
#include <thread>

#include <QTest>

#include <sys/wait.h>
#include <unistd.h>

#include "TestMain.h"
#include "platform/DisplayLoss.h"

namespace {

// Whether a thread of this process is asleep (waiting on a lock) rather than running.
bool asleep(pid_t thread)
{
    std::ifstream stat("/proc/self/task/" + std::to_string(thread) + "/stat");
    std::string line;
    std::getline(stat, line);
    const auto end = line.rfind(')');
    return end != std::string::npos && line.size() > end + 2 && line[end + 2] == 'S';
}

// In a child process: the loss reaches a first thread, and while it is still saving, a second
// one. The save's line must make it out before the process ends.
[[noreturn]] void loseTheDisplayTwice(int out)
{
    std::atomic<pid_t> second{0};
    ovelin::endAfterDisplayLoss([&] {
        std::thread([&] {
            second = gettid();
            ovelin::endAfterDisplayLoss([out] { (void)!::write(out, "second\n", 7); });
        }).detach();
        while (second == 0 || !asleep(second))
            std::this_thread::yield();
        (void)!::write(out, "saved\n", 6);
    });
}

} // namespace

class DisplayLossTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aSecondNoticeWaitsForTheFirstSave()
    {
        int pipeEnds[2];
        QVERIFY(::pipe(pipeEnds) == 0);
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            ::close(pipeEnds[0]);
            loseTheDisplayTwice(pipeEnds[1]);
        }
        ::close(pipeEnds[1]);
        QByteArray printed;
        char buffer[64];
        for (ssize_t n; (n = ::read(pipeEnds[0], buffer, sizeof buffer)) != 0;) {
            if (n > 0)
                printed.append(buffer, n);
        }
        ::close(pipeEnds[0]);
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QCOMPARE(printed, QByteArray("saved\n"));
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 1);
    }
};

OVELIN_TEST_MAIN(DisplayLossTest)
#include "tst_displayloss.moc"

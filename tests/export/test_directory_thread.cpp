// The thread the directory's statements run on: a caller waits while the statement shows signs
// of life, and no longer than it must when it does not, or when it is told to stop.
#include <QElapsedTimer>
#include <QTest>
#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <thread>

#include "export/directory/directory_thread.h"

using namespace brindle;
using namespace std::chrono_literals;

namespace {

// A job that blocks until the test releases it, and says when it ran. Shared, because a job
// that is abandoned outlives the test function's wait for it.
struct Gate {
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<bool> ran = false;
};

std::function<void()> blockedUntilReleased(const std::shared_ptr<Gate>& gate) {
    return [gate] {
        gate->ran = true;
        gate->released.wait();
    };
}

}  // namespace

class DirectoryThreadTest : public QObject {
    Q_OBJECT

private slots:
    // 0.6 s of rows, and only 0.2 s of silence allowed.
    void aJobIsWaitedForWhileItShowsSignsOfLife() {
        DirectoryThread thread;
        auto done = std::make_shared<std::atomic<bool>>(false);
        const auto beating = [done] {
            for (int i = 0; i < 12; ++i) {
                std::this_thread::sleep_for(50ms);
                DirectoryThread::heartbeat();
            }
            *done = true;
        };
        QVERIFY(thread.run(beating, 200ms).ok());
        QVERIFY(done->load());
        QVERIFY(!DirectoryThread::anyAbandoned());
    }

    void aSilentJobIsAbandonedAndTheConnectionRefusedAfterwards() {
        auto gate = std::make_shared<Gate>();
        QElapsedTimer clock;
        clock.start();
        {
            DirectoryThread thread;
            const Result<void> waited = thread.run(blockedUntilReleased(gate), 300ms);
            QVERIFY(!waited.ok());
            QVERIFY(waited.error().fatal);
            QCOMPARE(waited.error().message, QString("no answer from the directory for 1 seconds"));
            QVERIFY2(clock.elapsed() >= 300 && clock.elapsed() < 2000,
                     qPrintable(QString::number(clock.elapsed())));
            QVERIFY(DirectoryThread::anyAbandoned());

            auto later = std::make_shared<Gate>();
            const Result<void> refused = thread.run(blockedUntilReleased(later), 10s);
            QVERIFY(!refused.ok());
            QVERIFY(refused.error().fatal);
            QVERIFY(!later->ran);
            clock.restart();
        }
        // Ending the thread does not wait for the abandoned job, which still runs.
        QVERIFY(clock.elapsed() < 1000);
        QVERIFY(gate->ran);
        gate->release.set_value();
    }

    void anAbandonedThreadStillRunsItsLastJobWhenTheJobReturns() {
        auto gate = std::make_shared<Gate>();
        auto closed = std::make_shared<std::promise<void>>();
        {
            DirectoryThread thread;
            QVERIFY(!thread.run(blockedUntilReleased(gate), 100ms).ok());
            thread.finish([closed] { closed->set_value(); });
        }
        auto closing = closed->get_future();
        QCOMPARE(closing.wait_for(200ms), std::future_status::timeout);
        gate->release.set_value();
        QCOMPARE(closing.wait_for(5s), std::future_status::ready);
    }

    void aWaitScopeIsPolledAndItsReasonEndsTheWait() {
        auto gate = std::make_shared<Gate>();
        int polls = 0;
        const DirectoryWaitScope scope([&polls]() -> std::optional<QString> {
            if (++polls < 5) return std::nullopt;
            return QString("stopped by the window's Exit");
        });
        DirectoryThread thread;
        QElapsedTimer clock;
        clock.start();
        const Result<void> waited = thread.run(blockedUntilReleased(gate), 60s);
        QVERIFY(!waited.ok());
        QCOMPARE(waited.error().message, QString("stopped by the window's Exit"));
        QVERIFY(waited.error().fatal);
        QCOMPARE(polls, 5);
        // Polled at the window's repaint pace, not once a time-out.
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        gate->release.set_value();
    }

    // A poll that pumps the window's events could start another statement on the same
    // connection; it is refused, and the first statement's wait goes on.
    void aStatementStartedFromAPollIsRefused() {
        DirectoryThread thread;
        std::optional<Result<void>> nested;
        const DirectoryWaitScope scope([&]() -> std::optional<QString> {
            if (!nested) nested = thread.run([] {}, 1s);
            return std::nullopt;
        });
        const Result<void> waited = thread.run([] { std::this_thread::sleep_for(200ms); }, 10s);
        QVERIFY(waited.ok());
        QVERIFY(nested.has_value());
        QVERIFY(!nested->ok());
        QVERIFY(!nested->error().fatal);
    }
};

QTEST_GUILESS_MAIN(DirectoryThreadTest)
#include "test_directory_thread.moc"

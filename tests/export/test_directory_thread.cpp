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

// A job that blocks until the test opens the gate, and says when it ran. The job owns a share
// of the gate: an abandoned job outlives the test function, and may still be returning from
// its wait while the program ends.
class Gate {
public:
    std::function<void()> job() {
        return [state = m_state] {
            state->ran = true;
            state->opened.wait();
        };
    }
    void open() { m_state->open.set_value(); }
    bool ran() const { return m_state->ran; }

private:
    struct State {
        std::promise<void> open;
        std::shared_future<void> opened = open.get_future().share();
        std::atomic<bool> ran = false;
    };
    std::shared_ptr<State> m_state = std::make_shared<State>();
};

}  // namespace

class DirectoryThreadTest : public QObject {
    Q_OBJECT

private slots:
    // 0.6 s of rows, and only 0.2 s of silence allowed.
    void aJobIsWaitedForWhileItShowsSignsOfLife() {
        DirectoryThread thread;
        auto done = std::make_shared<std::atomic<bool>>(false);
        const auto beating = [done] {
            for (int i = 0; i < 12; ++i, DirectoryThread::heartbeat()) std::this_thread::sleep_for(50ms);
            *done = true;
        };
        QVERIFY(thread.run(beating, 200ms).ok());
        QVERIFY(done->load());
        QVERIFY(!DirectoryThread::anyAbandoned());
    }

    // The thread then takes no job but its last (closing the connection), run only once the
    // abandoned job returns; ending the thread does not wait for that.
    void aSilentJobIsAbandonedAndTheConnectionRefusedAfterwards() {
        Gate gate, later;
        static std::promise<void> closed;  // outlives the test: the last job runs after it
        QElapsedTimer clock;
        clock.start();
        {
            DirectoryThread thread;
            const Result<void> waited = thread.run(gate.job(), 300ms);
            QVERIFY(!waited.ok() && waited.error().fatal);
            QCOMPARE(waited.error().message, QString("no answer from the directory for 1 seconds"));
            QVERIFY2(clock.elapsed() >= 300 && clock.elapsed() < 2000,
                     qPrintable(QString::number(clock.elapsed())));
            QVERIFY(DirectoryThread::anyAbandoned());
            const Result<void> refused = thread.run(later.job(), 10s);
            QVERIFY(!refused.ok() && refused.error().fatal);
            thread.finish([] { closed.set_value(); });
            clock.restart();
        }
        QVERIFY(clock.elapsed() < 1000);
        QVERIFY(gate.ran() && !later.ran());
        auto closing = closed.get_future();
        QCOMPARE(closing.wait_for(200ms), std::future_status::timeout);
        gate.open();
        QCOMPARE(closing.wait_for(5s), std::future_status::ready);
    }

    // Polled at the window's repaint pace, not once a time-out. A poll that pumps the window's
    // events could start another statement on the same connection: that one is refused.
    void aWaitScopeIsPolledAndItsReasonEndsTheWait() {
        Gate gate;
        DirectoryThread thread;
        int polls = 0;
        std::optional<Result<void>> nested;
        const DirectoryWaitScope scope([&]() -> std::optional<QString> {
            if (!nested) nested = thread.run([] {}, 1s);
            if (++polls < 5) return std::nullopt;
            return QString("stopped by the window's Exit");
        });
        QElapsedTimer clock;
        clock.start();
        const Result<void> waited = thread.run(gate.job(), 60s);
        QVERIFY(!waited.ok() && waited.error().fatal);
        QCOMPARE(waited.error().message, QString("stopped by the window's Exit"));
        QCOMPARE(polls, 5);
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(nested && !nested->ok() && !nested->error().fatal);
        gate.open();
    }
};

QTEST_GUILESS_MAIN(DirectoryThreadTest)
#include "test_directory_thread.moc"

#include "export/directory/directory_thread.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <new>
#include <thread>

namespace brindle {

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// How often a wait with a scope polls it: the window repaints at this pace.
constexpr auto kPollInterval = 40ms;
// How often a wait without one looks for signs of life.
constexpr auto kHeartbeatCheck = 1s;

thread_local DirectoryWaitScope* t_scope = nullptr;
std::atomic<bool> g_anyAbandoned{false};

}  // namespace

DirectoryWaitScope::DirectoryWaitScope(Poll poll) : m_poll(std::move(poll)), m_outer(t_scope) {
    t_scope = this;
}

DirectoryWaitScope::~DirectoryWaitScope() {
    t_scope = m_outer;
}

DirectoryWaitScope* DirectoryWaitScope::current() {
    return t_scope;
}

struct DirectoryThread::Shared {
    std::mutex mutex;
    std::condition_variable wake;  // to the thread: a job, or the end
    std::condition_variable done;  // to the caller: the job ended
    std::deque<std::function<void()>> jobs;
    quint64 jobsDone = 0;
    bool lastJobOutOfMemory = false;  // the job ended by running out of memory, its work undone
    bool ending = false;
    std::atomic<quint64> beats{0};
    std::thread thread;
};

namespace {

thread_local std::atomic<quint64>* t_beats = nullptr;

}  // namespace

DirectoryThread::DirectoryThread() : m_shared(std::make_shared<Shared>()) {
    // The thread shares the state, so that an abandoned job still finds it after its owner left.
    m_shared->thread = std::thread([shared = m_shared] {
        t_beats = &shared->beats;
        std::unique_lock lock(shared->mutex);
        for (;;) {
            shared->wake.wait(lock, [&] { return !shared->jobs.empty() || shared->ending; });
            if (shared->jobs.empty()) return;
            std::function<void()> job = std::move(shared->jobs.front());
            shared->jobs.pop_front();
            lock.unlock();
            bool outOfMemory = false;
            try {
                job();
            } catch (const std::bad_alloc&) {
                outOfMemory = true;  // a 100 MB value, say: the caller hears of it, the process lives
            }
            lock.lock();
            shared->lastJobOutOfMemory = outOfMemory;
            ++shared->jobsDone;
            shared->done.notify_all();
        }
    });
}

void DirectoryThread::finish(std::function<void()> lastJob) {
    if (m_finished) return;
    m_finished = true;
    {
        const std::lock_guard lock(m_shared->mutex);
        if (lastJob) m_shared->jobs.push_back(std::move(lastJob));
        m_shared->ending = true;
    }
    m_shared->wake.notify_one();
    if (m_abandoned) {
        m_shared->thread.detach();
    } else {
        m_shared->thread.join();
    }
}

DirectoryThread::~DirectoryThread() {
    finish({});
}

void DirectoryThread::heartbeat() {
    if (t_beats) t_beats->fetch_add(1, std::memory_order_relaxed);
}

bool DirectoryThread::anyAbandoned() {
    return g_anyAbandoned.load();
}

Result<void> DirectoryThread::run(std::function<void()> job, std::chrono::milliseconds silence) {
    if (m_abandoned) return *m_abandoned;
    // A poll that pumps the window's events could start another statement while this one
    // runs; it is refused rather than queued behind a statement that may never end.
    if (m_waiting || m_finished) return Error{QStringLiteral("the directory is busy with another statement")};
    m_waiting = true;

    std::unique_lock lock(m_shared->mutex);
    const quint64 ticket = m_shared->jobsDone + m_shared->jobs.size() + 1;
    m_shared->jobs.push_back(std::move(job));
    m_shared->wake.notify_one();

    DirectoryWaitScope* const scope = DirectoryWaitScope::current();
    const auto slice = std::min<std::chrono::milliseconds>(scope ? kPollInterval : kHeartbeatCheck, silence);
    const auto ended = [&] { return m_shared->jobsDone >= ticket; };
    quint64 beats = m_shared->beats.load(std::memory_order_relaxed);
    auto lastSign = Clock::now();
    std::optional<Error> gaveUp;
    while (!ended() && !gaveUp) {
        if (m_shared->done.wait_for(lock, slice, ended)) break;
        const auto now = Clock::now();
        if (const quint64 seen = m_shared->beats.load(std::memory_order_relaxed); seen != beats) {
            beats = seen;
            lastSign = now;
        }
        if (scope) {
            lock.unlock();
            const std::optional<QString> reason = scope->poll();
            lock.lock();
            if (reason && !ended()) gaveUp = Error{*reason};
        }
        if (!gaveUp && !ended() && now - lastSign >= silence) {
            const auto seconds = std::chrono::ceil<std::chrono::seconds>(silence).count();
            gaveUp = Error{QStringLiteral("no answer from the directory for %1 seconds").arg(seconds)};
        }
    }
    m_waiting = false;
    if (!gaveUp && m_shared->lastJobOutOfMemory) {
        return Error{QStringLiteral("out of memory while reading the directory"), 0, {}, true};
    }
    if (!gaveUp) return {};
    gaveUp->fatal = true;
    m_abandoned = gaveUp;
    g_anyAbandoned = true;
    return *gaveUp;
}

}  // namespace brindle

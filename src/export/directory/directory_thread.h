#pragma once

#include <QString>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include "platform/result.h"

namespace brindle {

// While one exists, the waits of its thread for the directory call `poll` every few hundredths
// of a second and give up when it returns a reason. A run sets one up, so that the window keeps
// repainting and taking clicks during a long statement, and a stop is heard there too.
class DirectoryWaitScope {
public:
    using Poll = std::function<std::optional<QString>()>;

    explicit DirectoryWaitScope(Poll poll);
    ~DirectoryWaitScope();
    DirectoryWaitScope(const DirectoryWaitScope&) = delete;
    DirectoryWaitScope& operator=(const DirectoryWaitScope&) = delete;

    // The innermost scope of the calling thread, if any.
    static DirectoryWaitScope* current();
    std::optional<QString> poll() const { return m_poll(); }

private:
    Poll m_poll;
    DirectoryWaitScope* m_outer;
};

// A thread of its own for the directory's connection: QtSql keeps a connection to the thread
// that opened it, and a driver waiting on a server that has stopped answering cannot be
// interrupted. Running every statement here lets the caller stop waiting instead.
//
// A job that outlives its wait is abandoned: it runs on unwatched, and the thread takes no
// further job but the last one its owner leaves for it (closing the connection), which runs if
// the abandoned job ever returns. Jobs must therefore own, or share, everything they touch.
class DirectoryThread {
public:
    DirectoryThread();
    // Runs `lastJob` after whatever is running and ends the thread; waits for that unless a
    // job was abandoned.
    void finish(std::function<void()> lastJob);
    ~DirectoryThread();
    DirectoryThread(const DirectoryThread&) = delete;
    DirectoryThread& operator=(const DirectoryThread&) = delete;

    // Runs `job` on the thread and waits until it ends, until the job has given no sign of
    // life (see heartbeat) for `silence`, or until the wait scope gives a reason to stop. The
    // last two abandon the job and return a fatal Error saying why; so does every later call.
    // A job that runs out of memory (std::bad_alloc) ends with a fatal Error too.
    Result<void> run(std::function<void()> job, std::chrono::milliseconds silence);

    // Called by a job as it makes progress (a row arrived): the silence starts again.
    static void heartbeat();

    // Whether this process ever abandoned a job. Its connection may then still be in use when
    // the program ends, and the program must end without Qt's teardown of its connections.
    static bool anyAbandoned();

private:
    struct Shared;
    std::shared_ptr<Shared> m_shared;
    std::optional<Error> m_abandoned;
    bool m_waiting = false;
    bool m_finished = false;
};

}  // namespace brindle

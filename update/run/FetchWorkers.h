// The download pass's fetch workers: a few threads that take the pass's
// files in list order, one at a time each, so that several requests are in
// flight and each file's create, flush and checks overlap the transfers of
// the others. The pass thread takes their results in list order too, and
// puts each file in place when its turn comes, so what the pass does with
// the results never depends on which transfer ended first.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class FetchWorkers {
public:
    // Hands i = 0 .. count - 1 out in order to `workers` threads (the
    // workers numbered 0 .. workers - 1): start(i) runs as i is handed out
    // (in order, one at a time), then fetch(i, worker) on the worker that
    // took it. Neither may throw.
    FetchWorkers(size_t count, size_t workers, std::function<void(size_t)> start,
                 std::function<void(size_t, size_t)> fetch);
    // Hands out no more and waits for the fetches under way.
    ~FetchWorkers();
    FetchWorkers(const FetchWorkers&) = delete;
    FetchWorkers& operator=(const FetchWorkers&) = delete;

    // Waits until fetch(i) has returned; i must have been handed out, or
    // will be (no Close before).
    void WaitFor(size_t i);
    // Hands out no more; the fetches under way go on.
    void Close();

private:
    void Work(size_t worker);

    const size_t m_count;
    const std::function<void(size_t)> m_start;
    const std::function<void(size_t, size_t)> m_fetch;
    std::mutex m_mutex;
    std::condition_variable m_finishedOne;
    size_t m_awaited = 0;  // the file WaitFor waits for
    size_t m_next = 0;
    bool m_closed = false;
    std::vector<bool> m_finished;
    std::vector<std::thread> m_threads;  // last: they use everything above
};

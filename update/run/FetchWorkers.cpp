#include "update/run/FetchWorkers.h"

#include <system_error>

FetchWorkers::FetchWorkers(size_t count, size_t workers, std::function<void(size_t)> start,
                           std::function<void(size_t, size_t)> fetch)
    : m_count(count), m_start(std::move(start)), m_fetch(std::move(fetch)), m_finished(count) {
    try {
        while (m_threads.size() < workers) {
            const size_t worker = m_threads.size();
            m_threads.emplace_back([this, worker] { Work(worker); });
        }
    } catch (const std::system_error&) {
        // Fewer threads do the same work; with none, WaitFor does it.
    }
}

FetchWorkers::~FetchWorkers() {
    Close();
    for (std::thread& thread : m_threads)
        thread.join();
}

void FetchWorkers::WaitFor(size_t i) {
    if (m_threads.empty())
        Work(0);
    std::unique_lock<std::mutex> lock(m_mutex);
    m_awaited = i;
    m_finishedOne.wait(lock, [&] { return m_finished[i]; });
}

void FetchWorkers::Close() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_closed = true;
}

void FetchWorkers::Work(size_t worker) {
    for (;;) {
        size_t i;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_closed || m_next == m_count)
                return;
            i = m_next++;
            m_start(i);
        }
        m_fetch(i, worker);
        bool awaited;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_finished[i] = true;
            awaited = i == m_awaited;
        }
        // Under Wine every wake-up is a trip through its server: only the
        // file the pass waits for wakes it.
        if (awaited)
            m_finishedOne.notify_all();
    }
}

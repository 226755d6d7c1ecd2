#include "tools/publish/Parallel.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>

unsigned DefaultJobs() {
    return std::max(1u, std::thread::hardware_concurrency());
}

bool ParseJobs(const std::vector<std::string>& args, size_t& i, unsigned& jobs,
               std::string& error) {
    if (args[i] != "--jobs")
        return false;
    const std::string value = i + 1 < args.size() ? args[++i] : std::string();
    if (value.empty() || value.size() > 3 ||
        value.find_first_not_of("0123456789") != std::string::npos || std::stoi(value) < 1 ||
        std::stoi(value) > 256) {
        error = "--jobs takes a number of threads from 1 to 256";
        return true;
    }
    jobs = static_cast<unsigned>(std::stoi(value));
    return true;
}

void ForEachIndex(size_t count, unsigned jobs, const std::function<void(size_t)>& work) {
    std::atomic<size_t> next{0};
    std::atomic<bool> failed{false};
    std::exception_ptr first;
    std::mutex firstMutex;
    const auto run = [&] {
        for (size_t i; !failed && (i = next++) < count;) {
            try {
                work(i);
            } catch (...) {
                const std::lock_guard<std::mutex> lock(firstMutex);
                if (!first)
                    first = std::current_exception();
                failed = true;
            }
        }
    };
    const size_t threads = std::min<size_t>(std::max(1u, jobs), count);
    std::vector<std::thread> pool;
    for (size_t t = 1; t < threads; ++t)
        pool.emplace_back(run);
    run();
    for (std::thread& thread : pool)
        thread.join();
    if (first)
        std::rethrow_exception(first);
}

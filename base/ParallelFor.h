// Runs work(i) for every i below count on a few threads, each taking the
// next i as it finishes its last. Meant for many short system calls that
// mostly wait (renames and deletes: under Wine each is a round trip to its
// server), where a second call in flight costs little more than one.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <system_error>
#include <thread>
#include <vector>

namespace Base {

// Once work returns false, no further i is handed out; the calls under way
// finish. Returns when every call has returned: true when each returned
// true. With one thread, or one i, it runs on the caller's thread.
template <typename Work>
bool ParallelFor(size_t count, size_t threads, const Work& work) {
    std::atomic<size_t> next{0};
    std::atomic<bool> failed{false};
    const auto run = [&] {
        for (size_t i; !failed && (i = next++) < count;) {
            if (!work(i))
                failed = true;
        }
    };
    std::vector<std::thread> helpers;
    for (size_t t = 1; t < std::min(threads, count); ++t) {
        // A thread the system will not give is one helper fewer, not a
        // failure: the caller's thread takes its share.
        try {
            helpers.emplace_back(run);
        } catch (const std::system_error&) {
            break;
        }
    }
    run();
    for (std::thread& helper : helpers)
        helper.join();
    return !failed;
}

}  // namespace Base

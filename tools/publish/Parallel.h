// Work spread over the machine's cores, one file to a thread at a time:
// each file is compressed by one zstd context with the settings a single
// thread would use, so the objects come out byte for byte the same whatever
// the number of threads (zstd's own multithreaded mode frames its output
// otherwise than its single-threaded one, and the Windows tree's libzstd
// has no threads at all).
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// The threads publish uses by default: one per core.
unsigned DefaultJobs();

// Reads "--jobs N" at args[i], moving i past the value; `error` is set when
// the value is not a number from 1 to 256. False when args[i] is another word.
bool ParseJobs(const std::vector<std::string>& args, size_t& i, unsigned& jobs, std::string& error);

// Calls work(i) for every i below `count` on up to `jobs` threads, taking the
// indexes in order (put the longest work first). The first exception thrown
// is rethrown here once every thread has stopped.
void ForEachIndex(size_t count, unsigned jobs, const std::function<void(size_t)>& work);

// Work side by side on several threads, with what a thread throws carried back to the caller.
#pragma once

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace snfit {

// Runs job(i) for i = 0 .. count-1 on `threads` threads (the caller's one of them). When a job
// throws, no further job starts, and once every thread has stopped the first exception thrown is
// thrown again here.
template <class Job> void side_by_side(int count, int threads, Job job) {
    std::atomic<int> next{0};
    std::exception_ptr failure;
    std::mutex failure_mutex;
    auto worker = [&] {
        for (int i; (i = next++) < count;) {
            try {
                job(i);
            } catch (...) {
                const std::lock_guard lock(failure_mutex);
                if (!failure) failure = std::current_exception();
                next = count;
            }
        }
    };
    {
        std::vector<std::jthread> pool;
        for (int t = 1; t < std::min(threads, count); ++t) pool.emplace_back(worker);
        worker();
    }
    if (failure) std::rethrow_exception(failure);
}

} // namespace snfit

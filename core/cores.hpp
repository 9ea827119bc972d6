// The cores this process may run on: all of the machine, or those that taskset or a batch system
// granted it (its CPU affinity). Parallel work of every program uses this many threads.
#pragma once

#include <sched.h>

#include <algorithm>
#include <thread>

namespace snphot {

inline int usable_cores() {
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0) return std::max(1, CPU_COUNT(&set));
    return std::max(1u, std::thread::hardware_concurrency());
}

} // namespace snphot

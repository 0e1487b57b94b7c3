#pragma once

#include <cstddef>
#include <functional>

namespace zwf::detect {

// Calls work(i, worker) for every i below count on up to `workers` threads, each taking the next
// index when done with its last; worker (below workers) tells which thread runs the call, for
// scratch space of its own. Returns when all are done.
// Without whileWaiting, the calling thread is one of them (worker 0). With it, the calling thread
// takes no work: it waits for the others and calls whileWaiting every few milliseconds, so that a
// window it keeps alive answers at once however long a single read takes, and gets the processor
// back quickly when others want it too, as a thread that mostly sleeps does.
using IndexWork = std::function<void(std::size_t index, unsigned worker)>;
void ForEachIndex(std::size_t count, unsigned workers, const IndexWork& work,
                  const std::function<void()>& whileWaiting = {});

// How many threads a search may read with. Reading from the page cache costs processor time, so a
// second core nearly halves a search over many small files; reading from a disk is mostly waiting,
// and a disk given many requests at once answers them sooner than one by one (a search over
// 20,000 small files from a cold cache takes half the time with 8 threads as with 2, even on two
// cores). From the page cache the threads beyond the cores cost little.
inline constexpr unsigned kReadingThreads = 8;
unsigned ReadingThreads(bool fileSystemAllowsThem);

}  // namespace zwf::detect

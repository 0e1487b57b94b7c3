#pragma once

#include <cstddef>
#include <functional>

namespace zwf::detect {

// Calls work(i, worker) for every i below count, on the calling thread (worker 0) and on up to
// workers - 1 more threads, each taking the next index when done with its last; worker tells
// which thread runs the call, for scratch space of its own. Returns when all are done. The
// calling thread always takes part, and once out of work it calls whileWaiting every millisecond
// or so until the others are done, so progress reported from it keeps moving.
using IndexWork = std::function<void(std::size_t index, unsigned worker)>;
void ForEachIndex(std::size_t count, unsigned workers, const IndexWork& work,
                  const std::function<void()>& whileWaiting = {});

// How many threads a search may read with: reading from the page cache costs processor time, so
// a second core nearly halves a search over many small files.
unsigned ReadingThreads(bool fileSystemAllowsThem);

}  // namespace zwf::detect

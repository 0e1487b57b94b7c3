#pragma once

#include "platform/Threads.h"

namespace zwf::detect {

// The threads a search reads with, started once and kept for the whole search: a search over
// many small buckets hands out work a thousand times and more, and starting threads each time
// cost more than the reading on a tree such as /usr.
using Workers = ThreadPool;

// How many threads a search may read with. Reading from the page cache costs processor time, so a
// second core nearly halves a search over many small files; reading from a disk is mostly waiting,
// and a disk given many requests at once answers them sooner than one by one (a search over
// 20,000 small files from a cold cache takes half the time with 8 threads as with 2, even on two
// cores). From the page cache the threads beyond the cores cost little.
inline constexpr unsigned kReadingThreads = 8;
inline unsigned ReadingThreads(bool fileSystemAllowsThem) { return fileSystemAllowsThem ? kReadingThreads : 1; }

}  // namespace zwf::detect

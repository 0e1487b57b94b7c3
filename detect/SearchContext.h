#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/Catalogue.h"
#include "detect/AlignedBuffer.h"
#include "detect/Bucket.h"
#include "detect/Parallel.h"
#include "detect/ProgressMeter.h"
#include "platform/FileSystem.h"

namespace zwf::detect {

// Limits that keep a search's memory and open files small whatever the files.
inline constexpr std::size_t kMaxOpenFiles = 32;             // files one thread reads side by side at once
inline constexpr std::size_t kBufferBudget = 2048 * 1024;    // the side-by-side read buffers of all threads together
inline constexpr std::size_t kPrefixBytes = 4096;            // what the first look at a file reads
inline constexpr std::size_t kLargestBlock = 256 * 1024;     // the most one read of one file asks for
inline constexpr std::size_t kKeptBytes = 20 * 1024 * 1024;  // small files kept for copies that may follow

inline bool TooManyToOpenAtOnce(const Bucket& bucket) { return bucket.files.size() > kMaxOpenFiles; }

// The read buffers of one reading thread, kept for the whole search: taking and freeing a few
// hundred KiB for every set of files cost a third of a search over mixed sizes. They hold no
// more than the largest piece of work the thread did, and go with the search.
struct Scratch {
    AlignedBuffer first, second;
};

// The folders a reading thread opens its files through, held while its files keep coming from
// them, and the folders its last few files opened by their whole path came from.
struct HeldFolder {
    static constexpr std::size_t kHeld = 4, kRecent = 8;
    struct Held {
        FolderId id = kNoParent;
        std::unique_ptr<FolderHandle> folder;
        std::uint64_t used = 0;  // when a file was last opened through it
    };
    HeldFolder() { recent.fill(kNoParent); }

    std::array<Held, kHeld> held;
    std::array<FolderId, kRecent> recent;
    std::uint64_t opens = 0;  // files opened so far: the clock `used` is told by
};

// What a search read, counted as it reads, for tests and the benchmark.
struct ReadTally {
    std::atomic<std::uint64_t> filesOpened{0}, bytesRead{0};
};

// What every stage of a search works with: the files, the threads, their buffers and the meter.
// Nothing in it records what the search found; each stage hands that back.
struct SearchContext {
    const Catalogue& catalogue;
    FileSystem& fileSystem;
    ProgressMeter& progress;
    Workers& workers;                  // the pool of reading threads, kept for the whole search (one thread where the
                                       // file system reads one file at a time)
    std::vector<Scratch>& scratch;     // one per worker
    std::vector<HeldFolder>& folders;  // one per worker
    ReadTally& tally;
    std::size_t keptBytes = kKeptBytes;  // lower where files must be read again for their copies

    unsigned Threads() const { return workers.Count(); }
    // The buffers of a worker; the searching thread is worker 0, in ForEach and outside it.
    Scratch& ScratchOf(unsigned worker) const { return scratch[worker]; }

    void ForEach(std::size_t count, const IndexWork& work) const { workers.ForEach(count, work); }
};

}  // namespace zwf::detect

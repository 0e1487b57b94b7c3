#pragma once

#include <cstddef>
#include <string>

#include "catalogue/Catalogue.h"
#include "detect/Parallel.h"
#include "detect/ProgressMeter.h"
#include "detect/SeenFiles.h"
#include "platform/FileSystem.h"

namespace zwf::detect {

// Limits that keep a search's memory and open files small whatever the files.
inline constexpr std::size_t kMaxOpenFiles = 32;           // files one thread reads side by side at once
inline constexpr std::size_t kBufferBudget = 2048 * 1024;  // the side-by-side read buffers of all threads together
inline constexpr std::size_t kPrefixBytes = 4096;          // what the first look at a file reads

// What every stage of a search works with.
struct SearchContext {
    const Catalogue& catalogue;
    FileSystem& fileSystem;
    ProgressMeter& progress;
    SeenFiles& seen;
    Workers& workers;  // the pool of reading threads, kept for the whole search (one thread where the
                       // file system reads one file at a time)

    unsigned Threads() const { return workers.Count(); }

    std::string PathOf(std::size_t file) const { return catalogue.FullPath(catalogue.allFiles[file]); }
    // Opens a catalogued file for reading; nothing when it cannot be read as the catalogue lists it.
    std::unique_ptr<ReadableFile> Open(std::size_t file) const { return seen.Open(fileSystem, PathOf(file), file); }

    // Workers::ForEach on the search's threads. When progress is reported, the searching thread
    // leaves the work to the others and reports while it waits for them.
    void ForEach(std::size_t count, const IndexWork& work) const {
        if (progress.Reports())
            workers.ForEach(count, work, [this] { progress.Tick(); });
        else
            workers.ForEach(count, work);
    }
};

}  // namespace zwf::detect

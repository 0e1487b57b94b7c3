#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "detect/SearchTypes.h"
#include "platform/FileSystem.h"

namespace zwf::detect {

// A catalogued file taking part in a search.
struct Candidate {
    FileIndex file = 0;
    bool opened = false;  // whether `seen` holds the times of its first opening yet
    FileTimes seen{};     // its times when the search first opened it: it must keep them
};

// Files that may still hold the same bytes, in catalogue order.
struct Bucket {
    std::uint64_t size = 0;
    std::uint64_t agreed = 0;  // every file's bytes before this offset are known to be equal
    std::vector<Candidate> files;

    // The bytes of these files that no reading has yet shown to be equal.
    std::uint64_t BytesOpen() const { return (size - agreed) * files.size(); }
};

// What a stage of the search hands back. Every file of its buckets ends up in exactly one place:
// still open, settled in a set, refused, or left out as the only one of its content.
struct StageResult {
    std::vector<Bucket> open;         // for the next stage
    std::vector<Bucket> settled;      // sets of two or more identical files, confirmed byte for byte to the end
    std::vector<UnreadFile> refused;  // could not be read as catalogued, with the reason
};

}  // namespace zwf::detect

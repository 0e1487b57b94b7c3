#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "detect/SearchContext.h"

namespace zwf::detect {

enum class CountProgress : bool { No, Yes };

// The outcome of reading some files of one size side by side, each exactly once.
struct Partition {
    std::vector<std::vector<std::size_t>> classes;  // identical files, in catalogue order; may be single
    std::vector<std::size_t> unreadable;            // could not be read in full, or not of the size
};

// Opens at most kMaxOpenFiles files of the given size together and reads them block by block,
// splitting them apart as their blocks differ, until the end of the files: a class holds files
// whose every byte agrees and which all ended exactly at size. A file stops being read as soon
// as no other file agrees with it so far.
Partition CompareSideBySide(const std::vector<std::size_t>& files, std::uint64_t size, const SearchContext& context,
                            CountProgress countProgress);

// Reads exactly block.size() bytes of a catalogued file; false, and the file refused, when it
// is shorter than catalogued or the read fails.
bool ReadExactly(const SearchContext& context, std::size_t file, ReadableFile& handle, std::span<std::byte> block);

// Whether a catalogued file read to its size ends there and is still as first seen; when not,
// the file is refused.
bool EndsAsSeen(const SearchContext& context, std::size_t file, ReadableFile& handle);

// The outcome of reading files side by side with the first of them.
struct AgreementWithFirst {
    bool firstRead = false;               // the first file could be read as far as was needed
    std::vector<std::size_t> agree;       // the others found identical with it, in the order given
    std::vector<std::size_t> rest;        // the others, not found identical with it
    std::vector<std::size_t> unreadable;  // could not be read in full, or not of the size
};

// Opens the files together and reads each block of the first file once, then the same block of
// each other file still agreeing with it, one after another into one buffer: files are only
// compared with the first, so two blocks in memory serve any number of files, and the blocks
// can be large. A file stops being read at its first difference. A file agrees when every byte
// agrees and both it and the first ended exactly at size and are still as first seen.
AgreementWithFirst CompareWithFirst(const std::vector<std::size_t>& files, std::uint64_t size,
                                    const SearchContext& context);

}  // namespace zwf::detect

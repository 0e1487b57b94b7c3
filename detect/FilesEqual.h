#pragma once

#include <cstdint>
#include <string>

#include "detect/SearchTypes.h"
#include "platform/FileSystem.h"

namespace zwf {

// The two files a comparison read, as they were when opened and still were when it ended.
struct ComparedFiles {
    FileStatus first, second;
};

// 1 when two opened files, read on from where each stands, both give exactly `size` more bytes,
// agree, end there, and did not change while they were read; 0 otherwise. progress hears the
// bytes compared so far.
int ContentsEqual(ReadableFile& first, ReadableFile& second, std::uint64_t size, const SearchProgressFn& progress = {});

// 1 when both files could be opened and both were read in full, to exactly `size` bytes, agree,
// and did not change while they were read; 0 otherwise (different, unopenable, a short read, a
// read error, a size on disk other than `size`, or written to meanwhile). progress hears the
// bytes compared so far; seen, when given, receives what was compared.
int FilesEqual(FileSystem& fileSystem, const std::string& firstPath, const std::string& secondPath,
               std::uint64_t size, const SearchProgressFn& progress = {}, ComparedFiles* seen = nullptr);

}  // namespace zwf

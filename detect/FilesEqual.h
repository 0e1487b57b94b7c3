#pragma once

#include <cstdint>

#include "detect/SearchTypes.h"
#include "platform/FileSystem.h"

namespace zwf {

// 1 when two opened files, read on from where each stands, both give exactly `size` more bytes,
// agree, end there, and did not change while they were read; 0 otherwise (different, a short
// read, a read error, more bytes than `size`, or written to meanwhile). progress hears the bytes
// compared so far.
int ContentsEqual(ReadableFile& first, ReadableFile& second, std::uint64_t size, const SearchProgressFn& progress = {});

}  // namespace zwf

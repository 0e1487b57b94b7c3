#pragma once

#include <cstdint>
#include <string>

#include "platform/FileSystem.h"

namespace zwf {

// 1 when both files could be opened and both were read in full, to exactly `size` bytes, and agree;
// 0 otherwise (different, unopenable, a short read, a read error, or a size on disk other than `size`).
int FilesEqual(FileSystem& fileSystem, const std::string& firstPath, const std::string& secondPath,
               std::uint64_t size);

}  // namespace zwf

#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "catalogue/FileEntry.h"
#include "detect/Bucket.h"

namespace zwf::detect {

// The records that take part in a search: every record except empty files and the later
// records of a file on disk already catalogued earlier (a folder added twice, a hard link).
std::vector<std::size_t> FirstRecordOfEachFile(const std::vector<FileEntry>& allFiles);

// Groups the given records (in catalogue order) by size, each bucket in catalogue order, buckets
// by size; sizes held by one record only are dropped, as nothing can match them.
std::vector<Bucket> BucketBySize(const std::vector<FileEntry>& allFiles, std::vector<std::size_t> records);

}  // namespace zwf::detect

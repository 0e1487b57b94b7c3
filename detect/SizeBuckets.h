#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "catalogue/FileEntry.h"
#include "detect/Bucket.h"

namespace zwf::detect {

// A record's file as it is on disk now.
using ExamineFn = std::function<FileStatus(std::size_t record)>;

// The records that take part in a search: every record except empty files and the later
// records of a file on disk already catalogued earlier. One file is one identity, named twice by
// a folder added twice or by a hard link; or it is one file seen through two devices, as a FUSE
// view, a network share of a local folder or a snapshot shows it: the same inode number on
// another device, the same size, and the same modification and change times to the last unit
// the system keeps (nanoseconds on Linux). Only examine tells those times, and it is asked only
// of records whose inode number and size a record on another device shares; without it, records
// on different devices are never taken for one file.
std::vector<std::size_t> FirstRecordOfEachFile(const std::vector<FileEntry>& allFiles, const ExamineFn& examine = {});

// Groups the given records (in catalogue order) by size, each bucket in catalogue order, buckets
// by size; sizes held by one record only are dropped, as nothing can match them.
std::vector<Bucket> BucketBySize(const std::vector<FileEntry>& allFiles, std::vector<std::size_t> records);

}  // namespace zwf::detect

#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "catalogue/FolderTable.h"
#include "platform/FileSystem.h"

namespace zwf {

// One catalogued file.
struct FileEntry {
    FolderId folder = 0;     // the folder that holds the file, without a trailing separator
    std::string name;        // the name within that folder, as the file system gave it
    std::uint64_t size = 0;  // true 64-bit size as the folder listing reported it
    FileIdentity identity;   // which file on disk this record names
};

// True when status describes the file entry names: a regular file of its size and identity.
inline bool IsCatalogued(const FileStatus& status, const FileEntry& entry) {
    return !status.error && status.kind == EntryKind::File && status.size == entry.size &&
           status.identity.Matches(entry.identity);
}

// One copy in a group of identical files.
struct GroupMember {
    FolderId folder = 0;
    std::string name;
    std::size_t source = 0;  // index of the FileEntry in allFiles
    FileTimes seen;          // the file's times as the search read it
};

}  // namespace zwf

#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "catalogue/Catalogue.h"
#include "catalogue/Leftovers.h"
#include "platform/FileSystem.h"

namespace zwf {

// A folder that could not be read, or not in full, with the reason.
struct ScanProblem {
    std::string folder;
    std::error_code error;
};

// What a scan leaves out besides links and the like: files outside a size range, files and
// folders whose name, or path below the folder scanned, matches a pattern (GlobMatches), and,
// with oneFileSystem, folders on another file system than the folder scanned.
struct ScanFilter {
    std::uint64_t minSize = 0;
    std::uint64_t maxSize = UINT64_MAX;
    std::vector<std::string> excludes;
    bool oneFileSystem = false;
};

struct ScanReport {
    std::size_t filesAdded = 0;
    std::size_t filteredOut = 0;        // files and folders the filter left out
    std::size_t foldersSkipped = 0;     // folders below the start that could not be read at all
    std::size_t othersSkipped = 0;      // links, FIFOs, sockets, devices
    std::error_code startError;         // the start folder itself could not be read
    std::vector<ScanProblem> problems;  // folders skipped or read only in part, start folder excluded
    // Files met under the program's private names, and what became of each (Gone ones left out).
    std::vector<Leftover> leftovers;
};

// Called now and then during a scan with the number of files found so far by this scan, also while
// a large folder is being listed and while the files found go into the catalogue at its end.
using ScanProgressFn = std::function<void(std::size_t filesFound)>;

// Catalogues every regular file below folder, depth first in pre-order: a subfolder is
// catalogued completely the moment it is met. The files join the catalogue when the scan ends. folder may end in one separator. Each folder
// below it is opened through its parent, never through a link, and entered only while it is
// the folder its parent listed; a folder that fails part-way keeps the entries read before.
// A file under one of the program's private names, left by an interrupted step, is never
// catalogued as it is: the scan finishes or undoes that step (RecoverLeftover) and catalogues the
// file under the name it then has, if any.
ScanReport ScanFolder(Catalogue& catalogue, FileSystem& fileSystem, std::string_view folder,
                      const ScanProgressFn& progress = {}, const ScanFilter& filter = {});

// A folder text as the add-folder command hands it on: ending in exactly one separator, ready to
// have a name appended ("" stays ""). A root keeps its own, since "C:" alone would mean the
// drive's current folder.
std::string AsAddedFolder(std::string folder, const FileSystem& fileSystem);

// Makes folder, in the form AsAddedFolder gives, the one added last, and says whether to scan it:
// not when it is "" or the folder added last already. The same folder twice in a row is scanned
// once; any other repeat is scanned again.
bool TakeAddedFolder(Catalogue& catalogue, const FileSystem& fileSystem, std::string folder);

}  // namespace zwf

#include "catalogue/ScanFolder.h"

#include <string>
#include <vector>

namespace zwf {

namespace {

// One folder being walked: its listing, read once, and how far the walk has come in it.
// The walk keeps these on its own stack, so a tree of any depth fits.
struct OpenFolder {
    FolderId id;
    std::vector<DirEntry> entries;
    std::size_t next = 0;
};

std::string_view WithoutTrailingSeparator(std::string_view folder, char separator) {
    if (!folder.empty() && folder.back() == separator)
        folder.remove_suffix(1);
    return folder;
}

}  // namespace

ScanReport ScanFolder(Catalogue& catalogue, FileSystem& fileSystem, std::string_view folder,
                      const ScanProgressFn& progress) {
    ScanReport report;
    const char separator = catalogue.Separator();
    std::vector<OpenFolder> stack;

    // Reads a folder once and puts it on the stack; a folder that cannot be read adds nothing.
    auto enter = [&](const std::string& text) -> std::error_code {
        FolderListing listing = fileSystem.ListFolder(text);
        if (!listing.error)
            stack.push_back(OpenFolder{catalogue.folders.Intern(text), std::move(listing.entries)});
        return listing.error;
    };

    if (std::error_code error = enter(std::string(WithoutTrailingSeparator(folder, separator)))) {
        report.startError = error;
        return report;
    }

    constexpr std::size_t kProgressEvery = 1024;
    while (!stack.empty()) {
        OpenFolder& current = stack.back();
        if (current.next == current.entries.size()) {
            stack.pop_back();
            continue;
        }
        DirEntry& entry = current.entries[current.next++];
        switch (entry.kind) {
        case EntryKind::File:
            catalogue.allFiles.push_back(
                FileEntry{current.id, std::move(entry.name), entry.size, entry.identity});
            if (++report.filesAdded % kProgressEvery == 0 && progress)
                progress(report.filesAdded);
            break;
        case EntryKind::Folder: {
            std::string sub = catalogue.Path(current.id);
            sub.push_back(separator);
            sub.append(entry.name);
            // enter() may move the stack: `current` is not used after it.
            if (enter(sub))
                ++report.foldersSkipped;
            else if (progress)
                progress(report.filesAdded);  // slow folders with few files still show life
            break;
        }
        case EntryKind::Other:
            ++report.othersSkipped;
            break;
        }
    }
    if (progress)
        progress(report.filesAdded);
    return report;
}

}  // namespace zwf

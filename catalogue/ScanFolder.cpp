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

    auto enter = [&](std::string text) -> bool {
        FolderListing listing = fileSystem.ListFolder(text);
        if (listing.error)
            return false;
        stack.push_back(OpenFolder{catalogue.folders.Intern(text), std::move(listing.entries)});
        return true;
    };

    std::string start(WithoutTrailingSeparator(folder, separator));
    if (FolderListing listing = fileSystem.ListFolder(start); listing.error) {
        report.startError = listing.error;
        return report;
    } else {
        stack.push_back(OpenFolder{catalogue.folders.Intern(start), std::move(listing.entries)});
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
            // `current` may dangle once enter() grows the stack.
            if (!enter(std::move(sub)))
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

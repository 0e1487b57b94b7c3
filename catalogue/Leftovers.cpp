#include "catalogue/Leftovers.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <memory>
#include <optional>

#include "platform/AsideNames.h"

namespace zwf {

namespace {

bool IsMissing(std::error_code error) {
    return error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory;
}

// Reads up to buffer.size() bytes, as many as the file gives; 0 at its end or on a failure.
std::size_t ReadFull(ReadableFile& file, std::span<std::byte> buffer, std::error_code& error) {
    std::size_t got = 0;
    while (got < buffer.size()) {
        const std::size_t step = file.Read(buffer.subspan(got), error);
        if (error || step == 0)
            break;
        got += step;
    }
    return got;
}

// The old name written into a note, or nothing when it cannot be read.
std::optional<std::string> ReadNote(FileSystem& fileSystem, FolderHandle& folder, const std::string& note,
                                    std::error_code& error) {
    std::unique_ptr<ReadableFile> file = fileSystem.OpenReadIn(folder, note, error);
    if (!file)
        return std::nullopt;
    std::array<std::byte, 4096> buffer{};
    const std::size_t got = ReadFull(*file, buffer, error);
    if (error || got == 0 || got == buffer.size())
        return std::nullopt;
    return std::string(reinterpret_cast<const char*>(buffer.data()), got);
}

// Whether both files give the same bytes to their ends.
bool SameBytes(ReadableFile& a, ReadableFile& b) {
    std::array<std::byte, 64 * 1024> one{}, two{};
    for (;;) {
        std::error_code errorA, errorB;
        const std::size_t gotA = ReadFull(a, one, errorA);
        const std::size_t gotB = ReadFull(b, two, errorB);
        if (errorA || errorB || gotA != gotB ||
            !std::equal(one.begin(), one.begin() + static_cast<std::ptrdiff_t>(gotA), two.begin()))
            return false;
        if (gotA < one.size())
            return true;
    }
}

// Whether the file under name inside folder now holds the bytes of the file aside.
bool NameHoldsCopy(FileSystem& fileSystem, FolderHandle& folder, const std::string& name, AsideFile& aside) {
    const FileStatus there = fileSystem.StatIn(folder, name);
    const FileStatus moved = aside.Status();
    if (there.error || moved.error || there.kind != EntryKind::File || there.size != moved.size)
        return false;
    std::error_code error;
    std::unique_ptr<ReadableFile> file = fileSystem.OpenReadIn(folder, name, error);
    if (!file || !file->Status().identity.Matches(there.identity) || !aside.File().Seek(0))
        return false;
    return SameBytes(aside.File(), *file);
}

}  // namespace

Leftover RecoverLeftover(FileSystem& fileSystem, FolderHandle& folder, const std::string& folderPath,
                         const std::string& privateName) {
    using Outcome = Leftover::Outcome;
    Leftover result{Outcome::Unknown, folderPath, privateName, {}, {}, {}};
    std::optional<AsideName> parsed = ParseAsideName(privateName);
    std::string aside = privateName;
    if (!parsed && !IsPrivateName(privateName))
        return result;
    if (!parsed || parsed->cut) {
        // A note, or a cut name that needs its note: the note tells the old name.
        const std::string key = privateName.substr(5, 32);
        const std::string note = NoteName(key);
        std::optional<std::string> name = ReadNote(fileSystem, folder, note, result.error);
        if (!name) {
            // A note that is gone was taken care of; a cut name without its note cannot be told.
            result.outcome = !parsed && IsMissing(result.error) ? Outcome::Gone : Outcome::Unknown;
            return result;
        }
        result.error.clear();
        result.name = *name;
        aside = AsideNameFor(key, *name);
        if (!parsed && IsMissing(fileSystem.StatIn(folder, aside).error)) {
            // The file went or came back, and only the note was left: the step had ended.
            fileSystem.DeleteIn(folder, note, fileSystem.StatIn(folder, note));
            result.outcome = Outcome::Gone;
            return result;
        }
        result.privateName = aside;
    } else {
        result.name = parsed->oldName;
    }
    if (result.name.empty())
        return result;  // moved aside by a version that kept no old name
    std::unique_ptr<AsideFile> file = fileSystem.AdoptAside(folder, aside, result.name, result.error);
    if (!file) {
        result.outcome = IsMissing(result.error) ? Outcome::Gone : Outcome::Failed;
        return result;
    }
    if (NameHoldsCopy(fileSystem, folder, result.name, *file) && !file->Remove()) {
        result.outcome = Outcome::Removed;
        result.now = result.name;
        return result;
    }
    result.now = file->PutBack(result.error);
    if (result.error)
        result.outcome = IsMissing(result.error) ? Outcome::Gone : Outcome::Failed;
    else
        result.outcome = result.now == result.name ? Outcome::Restored : Outcome::Beside;
    return result;
}

}  // namespace zwf

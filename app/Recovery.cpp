#include "app/Recovery.h"

#include <optional>
#include <span>

#include "platform/StepJournal.h"

namespace zwf {

namespace {

std::string Join(const std::string& folder, char separator, const std::string& name) {
    std::string path = folder;
    if (path.empty() || path.back() != separator)
        path.push_back(separator);
    return path + name;
}

// The whole of a small file, or nothing when it is larger than most bytes.
std::optional<std::string> ReadSmall(FileSystem& fileSystem, FolderHandle& folder, const std::string& name,
                                     std::size_t most) {
    std::error_code error;
    std::unique_ptr<ReadableFile> file = fileSystem.OpenReadIn(folder, name, error);
    if (!file)
        return std::nullopt;
    std::string text(most + 1, '\0');
    std::size_t got = 0;
    for (std::size_t n;
         got < text.size() && (n = file->Read(std::as_writable_bytes(std::span(text).subspan(got)), error)) > 0;)
        got += n;
    if (error || got > most)
        return std::nullopt;
    text.resize(got);
    return text;
}

// A trash record made by a move into the trash that never came: its file is not in the trash
// (the file itself was aside, and goes back with its own step). Only the record this program
// wrote goes (whole, or the part written when the process ended), and only while its file is
// missing; one whose file is there is a finished move.
void DropOrphanRecord(FileSystem& fileSystem, const LoggedStep& step) {
    std::error_code error;
    std::unique_ptr<FolderHandle> info = fileSystem.OpenFolder(step.folder, error);
    if (!info)
        return;
    const FileStatus record = fileSystem.StatIn(*info, step.privateName);
    if (record.error || record.kind != EntryKind::File || record.size > step.record.size())
        return;
    const std::size_t cut = step.folder.find_last_of(fileSystem.Separator());
    if (cut == std::string::npos)
        return;
    std::unique_ptr<FolderHandle> files = fileSystem.OpenFolder(step.folder.substr(0, cut + 1) + "files", error);
    const std::string name =
        step.privateName.substr(0, step.privateName.size() - std::string_view(".trashinfo").size());
    if (!files || fileSystem.StatIn(*files, name).error != std::errc::no_such_file_or_directory)
        return;
    const std::optional<std::string> written = ReadSmall(fileSystem, *info, step.privateName, step.record.size());
    if (written && step.record.starts_with(*written))
        fileSystem.DeleteIn(*info, step.privateName, record);
}

}  // namespace

std::vector<Leftover> RecoverAbandonedSteps(FileSystem& fileSystem) {
    std::vector<Leftover> leftovers;
    for (const LoggedStep& step : TakeAbandonedSteps()) {
        if (!step.record.empty()) {
            DropOrphanRecord(fileSystem, step);
            continue;
        }
        std::error_code error;
        std::unique_ptr<FolderHandle> folder = fileSystem.OpenFolder(step.folder, error);
        if (!folder)
            continue;
        Leftover leftover = RecoverLeftover(fileSystem, *folder, step.folder, step.privateName);
        if (leftover.outcome != Leftover::Outcome::Gone)
            leftovers.push_back(std::move(leftover));
    }
    return leftovers;
}

std::string LeftoverText(const Leftover& leftover, char separator, const ReasonFn& reason) {
    using Outcome = Leftover::Outcome;
    const std::string found = Join(leftover.folder, separator, leftover.privateName);
    const std::string name = Join(leftover.folder, separator, leftover.name);
    std::string text = "Rest einer unterbrochenen Löschung: " + found;
    switch (leftover.outcome) {
    case Outcome::Restored: return text + " ist wieder " + name;
    case Outcome::Beside:
        return text + " liegt wieder neben " + name + ", als " + Join(leftover.folder, separator, leftover.now) +
               ", da der Name inzwischen vergeben ist";
    case Outcome::Removed: return text + " ist entfernt: " + name + " hat denselben Inhalt";
    case Outcome::Failed:
        text += leftover.name.empty() ? std::string(": ") : ": konnte nicht zurück nach " + name + " (";
        text += reason ? reason(leftover.error) : leftover.error.message();
        text += leftover.name.empty() ? "" : ")";
        return text + "; er bleibt liegen und kommt in keine Gruppe";
    case Outcome::Unknown:
    case Outcome::Gone: break;
    }
    return text + ": woher er stammt, ist unbekannt; er bleibt liegen und kommt in keine Gruppe";
}

std::string LeftoversText(const std::vector<Leftover>& leftovers, char separator) {
    std::string text;
    for (const Leftover& leftover : leftovers) {
        if (!text.empty())
            text += '\n';
        text += LeftoverText(leftover, separator);
    }
    return text;
}

}  // namespace zwf

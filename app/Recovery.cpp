#include "app/Recovery.h"

#include "platform/StepJournal.h"

namespace zwf {

namespace {

std::string Join(const std::string& folder, char separator, const std::string& name) {
    std::string path = folder;
    if (path.empty() || path.back() != separator)
        path.push_back(separator);
    return path + name;
}

}  // namespace

std::vector<Leftover> RecoverAbandonedSteps(FileSystem& fileSystem) {
    std::vector<Leftover> leftovers;
    for (const LoggedStep& step : TakeAbandonedSteps()) {
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

#include "cli/Actions.h"

#include <algorithm>
#include <string>
#include <vector>

#include "app/DeletePlan.h"
#include "app/Refusals.h"
#include "cli/ExitStatus.h"
#include "cli/Report.h"

namespace zwf::cli {

namespace {

void Line(std::FILE* out, std::string_view what, const std::string& path) {
    std::fprintf(out, "%.*s: %s\n", static_cast<int>(what.size()), what.data(), path.c_str());
}

// A copy kept against the plan, named on stderr after what stdout holds so far.
void Complain(std::FILE* out, const std::string& path, std::string_view what, std::string_view why) {
    std::fflush(out);
    std::fprintf(stderr, "zwf: %s: %.*s: %.*s\n", path.c_str(), static_cast<int>(what.size()), what.data(),
                 static_cast<int>(why.size()), why.data());
}

std::string WhyNotShared(std::error_code error) {
    if (error == std::errc::not_supported)
        return "dieses Dateisystem kann keine Blöcke teilen (das können btrfs und XFS mit reflink)";
    if (error == std::errc::cross_device_link)
        return "liegt auf einem anderen Dateisystem als die behaltene Kopie";
    return std::string(WhyRefused(error));
}

std::string WhyNotTrashed(std::error_code error) {
    if (error == std::errc::cross_device_link)
        return "kein Papierkorb auf ihrem Dateisystem nimmt sie auf; sie liegt wieder unter ihrem Namen";
    return "kein Papierkorb auf ihrem Dateisystem (" + std::string(WhyRefused(error)) +
           "); sie liegt wieder unter ihrem Namen";
}

// Why a copy planned to be acted on is as it was; refused is the system's reason, where it refused.
std::string WhyKept(DeleteResult result, std::error_code refused) {
    switch (result) {
    case DeleteResult::Changed: return "seit der Suche verändert";
    case DeleteResult::LastCopy: return "die behaltene Kopie ist nicht mehr da oder nicht mehr gleich";
    case DeleteResult::KeptBeside:
        return "seit der Suche verändert, und eine andere Datei hat inzwischen ihren Namen: "
               "sie liegt daneben als NAME.zwillingsfeger-gerettet";
    case DeleteResult::Failed: return std::string(WhyRefused(refused));
    case DeleteResult::NotLinkable: return std::string(WhyRefused(refused, true));
    case DeleteResult::NotShared: return WhyNotShared(refused);
    case DeleteResult::NotTrashed: return WhyNotTrashed(refused);
    default: return "";
    }
}

// How each action is told: the line of a copy planned and done, and the closing count.
struct Words {
    CopyAction action;
    const char* planned;  // "löschen: PATH"
    const char* done;     // "gelöscht: PATH"; "nicht gelöscht" names a copy kept
    const char* toDo;     // "3 Kopien zu löschen, ..."
    bool frees;           // the bytes are free once done
};

Words WordsFor(Action action) {
    switch (action) {
    case Action::Link: return {CopyAction::LinkToChosen, "verknüpfen", "verknüpft", "zu verknüpfen", true};
    case Action::Dedupe: return {CopyAction::ShareWithChosen, "teilen", "geteilt", "zu teilen", true};
    case Action::Trash:
        return {CopyAction::TrashKeepingChosen, "in den Papierkorb legen", "in den Papierkorb",
                "in den Papierkorb zu legen", false};
    case Action::Delete:
    case Action::None: break;
    }
    return {CopyAction::RemoveKeepingChosen, "löschen", "gelöscht", "zu löschen", true};
}

std::string Counted(std::uint64_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

int CarryOut(std::FILE* out, Catalogue& catalogue, FileSystem& fileSystem, const Arguments& arguments,
             const std::function<bool()>& stop) {
    const Words words = WordsFor(arguments.action);
    int status = kExitDone;
    std::uint64_t done = 0, bytes = 0;
    const auto stopped = [&] { return stop && stop(); };
    for (std::size_t g = 0; g < catalogue.groups.size() && !stopped(); ++g) {
        const DuplicateGroup& group = catalogue.groups[g];
        const std::vector<std::size_t> keep = CopiesToKeep(catalogue, g, arguments.keep);
        std::vector<const GroupMember*> members;
        for (const GroupMember& member : catalogue.Members(group))
            members.push_back(&member);
        if (keep.empty()) {
            std::fflush(out);
            std::fprintf(stderr, "zwf: keine Kopie unter %s: die Gruppe von %s bleibt, wie sie ist\n",
                         arguments.keep.folder.c_str(), catalogue.FullPath(*members.front()).c_str());
            continue;
        }
        std::vector<std::size_t> others;
        for (std::size_t k = 0; k < members.size(); ++k) {
            if (std::find(keep.begin(), keep.end(), k) != keep.end())
                Line(out, "behalten", catalogue.FullPath(*members[k]));
            else
                others.push_back(k);
        }
        const ActionPlan plan = PlanKeeping(words.action, g, others, keep.front());
        if (arguments.dryRun) {
            const std::vector<std::error_code> refusals = RefusalsAhead(plan, catalogue, fileSystem);
            for (std::size_t i = 0; i < plan.members.size(); ++i) {
                const std::string path = catalogue.FullPath(*members[plan.members[i]]);
                if (refusals[i]) {
                    Complain(out, path, std::string("nicht ") + words.toDo,
                             WhyKept(DeleteResult::NotShared, refusals[i]));
                    status = kExitTrouble;
                    continue;
                }
                Line(out, words.planned, path);
                ++done;
                bytes += group.size;
            }
            std::fputs("\n", out);
            continue;
        }
        std::vector<std::error_code> refused(plan.members.size());
        DeleteCallbacks callbacks;
        callbacks.refused = [&](std::size_t i, std::error_code error) { refused[i] = error; };
        callbacks.stop = stopped;
        const std::vector<DeleteResult> results = ExecutePlan(plan, catalogue, fileSystem, callbacks);
        for (std::size_t i = 0; i < results.size(); ++i) {
            const std::string path = catalogue.FullPath(*members[plan.members[i]]);
            if (IsDone(results[i])) {
                Line(out, words.done, path);
                ++done;
                bytes += results[i] == DeleteResult::AlreadyGone ? 0 : group.size;
            } else {
                Complain(out, path, std::string("nicht ") + words.done, WhyKept(results[i], refused[i]));
                status = kExitTrouble;
            }
        }
        std::fputs("\n", out);
    }
    const std::string size = Counted(bytes, "Byte", "Bytes") + (bytes >= 1024 ? " (" + ReadableSize(bytes) + ")" : "");
    const std::string copies = Counted(done, "Kopie", "Kopien");
    if (arguments.dryRun)
        std::fprintf(out, "%s %s, %s%s; nichts geändert\n", copies.c_str(), words.toDo, size.c_str(),
                     words.frees ? " freizugeben" : "");
    else if (words.frees)
        std::fprintf(out, "%s %s, %s freigegeben\n", copies.c_str(), words.done, size.c_str());
    else
        std::fprintf(out, "%s %s gelegt, %s\n", copies.c_str(), words.done, size.c_str());
    return status;
}

}  // namespace zwf::cli

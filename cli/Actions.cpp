#include "cli/Actions.h"

#include <algorithm>
#include <string>
#include <vector>

#include "app/DeletePlan.h"
#include "app/Refusals.h"
#include "cli/Report.h"

namespace zwf::cli {

namespace {

void Line(std::FILE* out, std::string_view what, const std::string& path) {
    std::fprintf(out, "%.*s: %s\n", static_cast<int>(what.size()), what.data(), path.c_str());
}

// Why a copy planned to go is still there; refused is the system's reason, where it refused.
std::string_view WhyKept(DeleteResult result, std::error_code refused) {
    switch (result) {
    case DeleteResult::Changed: return "seit der Suche verändert";
    case DeleteResult::LastCopy: return "die behaltene Kopie ist nicht mehr da oder nicht mehr gleich";
    case DeleteResult::KeptBeside:
        return "seit der Suche verändert, und eine andere Datei hat inzwischen ihren Namen: "
               "sie liegt daneben als NAME.zwillingsfeger-gerettet";
    case DeleteResult::Failed: return WhyRefused(refused);
    case DeleteResult::NotLinkable: return WhyRefused(refused, true);
    default: return "";
    }
}

// What is done to a copy: as planned, and as done.
const char* const* Verbs(Action action) {
    static constexpr const char* kDelete[] = {"löschen", "gelöscht"};
    static constexpr const char* kLink[] = {"verknüpfen", "verknüpft"};
    static constexpr const char* kShare[] = {"teilen", "geteilt"};
    return action == Action::Link ? kLink : action == Action::Dedupe ? kShare : kDelete;
}

std::string WhyNotShared(std::error_code error) {
    if (error == std::errc::not_supported)
        return "dieses Dateisystem kann keine Blöcke teilen (das können btrfs und XFS mit reflink)";
    if (error == std::errc::cross_device_link)
        return "liegt auf einem anderen Dateisystem als die behaltene Kopie";
    if (error == FsError::Changed)
        return "seit der Suche verändert";
    return std::string(WhyRefused(error));
}

std::string Counted(std::uint64_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

int CarryOut(std::FILE* out, Catalogue& catalogue, FileSystem& fileSystem, const Arguments& arguments,
             const std::function<bool()>& stop) {
    int status = 0;
    std::uint64_t removed = 0, freed = 0;
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
        const char* const* verbs = Verbs(arguments.action);
        if (arguments.dryRun) {
            for (std::size_t k : others)
                Line(out, verbs[0], catalogue.FullPath(*members[k]));
            removed += others.size();
            freed += others.size() * group.size;
        } else if (arguments.action == Action::Dedupe) {
            const GroupMember& kept = *members[keep.front()];
            for (std::size_t k : others) {
                if (stopped())
                    break;
                const std::string path = catalogue.FullPath(*members[k]);
                const std::error_code error =
                    fileSystem.ShareBlocks(catalogue.FullPath(kept), catalogue.allFiles[kept.source].identity, path,
                                           catalogue.allFiles[members[k]->source].identity, group.size);
                if (!error) {
                    Line(out, verbs[1], path);
                    ++removed;
                    freed += group.size;
                } else {
                    std::fflush(out);
                    std::fprintf(stderr, "zwf: %s: nicht geteilt: %s\n", path.c_str(), WhyNotShared(error).c_str());
                    status = 2;
                }
            }
        } else {
            const bool link = arguments.action == Action::Link;
            const DeletePlan plan =
                link ? PlanLinkToKept(g, others, keep.front()) : PlanDeleteKeeping(g, others, keep.front());
            std::vector<std::error_code> refused(plan.members.size());
            DeleteCallbacks callbacks;
            callbacks.refused = [&](std::size_t i, std::error_code error) { refused[i] = error; };
            callbacks.stop = stopped;
            const std::vector<DeleteResult> results = ExecuteDelete(plan, catalogue, fileSystem, callbacks);
            for (std::size_t i = 0; i < results.size(); ++i) {
                const std::string path = catalogue.FullPath(*members[plan.members[i]]);
                if (IsGone(results[i])) {
                    Line(out, verbs[1], path);
                    ++removed;
                    freed += results[i] == DeleteResult::AlreadyGone ? 0 : group.size;
                } else {
                    std::fflush(out);
                    const std::string_view why = WhyKept(results[i], refused[i]);
                    std::fprintf(stderr, "zwf: %s: nicht %s: %.*s\n", path.c_str(), verbs[1], static_cast<int>(why.size()),
                                 why.data());
                    status = 2;
                }
            }
        }
        std::fputs("\n", out);
    }
    const std::string bytes = Counted(freed, "Byte", "Bytes") + (freed >= 1024 ? " (" + ReadableSize(freed) + ")" : "");
    const char* const* verbs = Verbs(arguments.action);
    if (arguments.dryRun)
        std::fprintf(out, "%s zu %s, %s freizugeben; nichts geändert\n", Counted(removed, "Kopie", "Kopien").c_str(),
                     verbs[0], bytes.c_str());
    else
        std::fprintf(out, "%s %s, %s freigegeben\n", Counted(removed, "Kopie", "Kopien").c_str(), verbs[1],
                     bytes.c_str());
    return status;
}

}  // namespace zwf::cli

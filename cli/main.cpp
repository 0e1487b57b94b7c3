// zwf: finds files with identical content below the folders given and prints them; with --delete it
// removes the copies a rule does not keep, each through the checks a delete in the window makes.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>
#include <system_error>
#include <vector>

#include "app/Recovery.h"
#include "catalogue/ScanFolder.h"
#include "cli/Actions.h"
#include "cli/Arguments.h"
#include "cli/Console.h"
#include "cli/ExitStatus.h"
#include "cli/FromList.h"
#include "cli/KeepFolder.h"
#include "cli/Report.h"
#include "cli/Signals.h"
#include "cli/TermProgress.h"
#include "detect/FindDuplicates.h"
#include "platform/StepJournal.h"

namespace {

using zwf::cli::kExitSignalled;
using zwf::cli::kExitTrouble;

// Why something failed, in German like the rest of the output: the common reasons in words of
// their own (the C library's are English here, whatever the locale, since zwf never sets one),
// any other in the system's words.
std::string Reason(std::error_code error) {
    using std::errc;
    static constexpr struct {
        errc condition;
        const char* text;
    } kReasons[] = {
        {errc::no_such_file_or_directory, "Datei oder Ordner nicht gefunden"},
        {errc::permission_denied, "Zugriff verweigert"},
        {errc::operation_not_permitted, "Vorgang nicht erlaubt"},
        {errc::not_a_directory, "ist kein Ordner"},
        {errc::is_a_directory, "ist ein Ordner"},
        {errc::io_error, "Ein-/Ausgabefehler"},
        {errc::too_many_files_open, "zu viele offene Dateien"},
        {errc::too_many_files_open_in_system, "zu viele offene Dateien im System"},
        {errc::filename_too_long, "Name zu lang"},
        {errc::too_many_symbolic_link_levels, "zu viele Ebenen symbolischer Verknüpfungen"},
        {errc::too_many_links, "zu viele Verknüpfungen"},
        {errc::device_or_resource_busy, "belegt oder von einem anderen Programm gesperrt"},
        {errc::no_space_on_device, "kein Platz mehr auf dem Gerät"},
        {errc::file_too_large, "Datei zu groß"},
        {errc::not_enough_memory, "nicht genug Speicher"},
        {errc::bad_file_descriptor, "ungültiger Dateideskriptor"},
        {errc::broken_pipe, "die lesende Seite der Pipe ist geschlossen"},
        {errc::invalid_argument, "ungültiger Name oder Aufruf"},
    };
    for (const auto& reason : kReasons)
        if (error == reason.condition)
            return reason.text;
    return error.message();
}

// Names a folder or file that could not be read, and why. The search goes on without it.
void Complain(const std::string& what, std::error_code error) {
    std::fprintf(stderr, "zwf: %s: %s\n", what.c_str(), Reason(error).c_str());
}

// Ends with status, or with kExitTrouble, named on stderr, when standard output could not be
// written; after a request to end, with 128 plus its signal's number.
int Finish(int status) {
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        const std::error_code error(errno != 0 ? errno : EIO, std::generic_category());
        std::fprintf(stderr, "zwf: Ausgabe konnte nicht geschrieben werden: %s\n", Reason(error).c_str());
        status = kExitTrouble;
    }
    if (const int signal = zwf::cli::EndSignal()) {
        std::fprintf(stderr, "zwf: beendet auf Signal %d hin; was getan ist, steht oben\n", signal);
        return kExitSignalled + signal;
    }
    return status;
}

// The groups of the list --from names, catalogued as they are now; what could not be taken is named.
bool CatalogueList(zwf::Catalogue& catalogue, zwf::FileSystem& fileSystem, const std::string& list, int& status) {
    std::string text;
    std::error_code error;
    if (!zwf::cli::ReadWhole(list, text, error)) {
        Complain(list == "-" ? "--from -" : list, error);
        return false;
    }
    const zwf::cli::ListedGroups listed = zwf::cli::ParseGroupList(text);
    if (!listed.error.empty()) {
        std::fprintf(stderr, "zwf: %s: %s\n", list.c_str(), listed.error.c_str());
        return false;
    }
    for (const std::string& problem : zwf::cli::CatalogueFromList(catalogue, fileSystem, listed, Reason)) {
        std::fprintf(stderr, "zwf: %s\n", problem.c_str());
        status = kExitTrouble;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    zwf::cli::Arguments arguments = zwf::cli::ParseArguments(zwf::cli::Utf8Arguments(argc, argv));
    if (!arguments.error.empty()) {
        std::fprintf(stderr, "zwf: %s\n%s", arguments.error.c_str(), zwf::cli::kSynopsis);
        return kExitTrouble;
    }
    if (arguments.help) {
        std::fputs(zwf::cli::kSynopsis, stdout);
        std::fputs(zwf::cli::kUsage, stdout);
        return Finish(zwf::cli::kExitDone);
    }
    if (arguments.version) {
        std::fputs("zwf " ZWF_VERSION "\n", stdout);
        return Finish(zwf::cli::kExitDone);
    }
    const std::vector<std::string>& folders = arguments.folders;
    auto fileSystem = zwf::MakeNativeFileSystem();
    const bool fromList = !arguments.fromList.empty();
    if (const std::string wrong = zwf::cli::ResolveKeepFolder(arguments.keep, folders, fromList, *fileSystem);
        !wrong.empty()) {
        std::fprintf(stderr, "zwf: %s\n%s", wrong.c_str(), zwf::cli::kSynopsis);
        return kExitTrouble;
    }

    // Until the results are printed or acted on, a request to end ends the program at once.
    zwf::cli::CatchEndSignals(zwf::cli::StderrIsTerminal());
    const auto journal = zwf::OpenStepJournal();
    fileSystem->SetStepLog(journal.get());
    zwf::Catalogue catalogue(fileSystem->Separator());
    zwf::cli::TermProgress progress(zwf::cli::StderrIsTerminal());
    int status = zwf::cli::kExitDone;
    // Before anything else: the steps of runs that ended in the middle.
    const auto tell = [&](const zwf::Leftover& leftover) {
        progress.Clear();
        std::fprintf(stderr, "zwf: %s\n", zwf::LeftoverText(leftover, fileSystem->Separator(), Reason).c_str());
        if (leftover.outcome == zwf::Leftover::Outcome::Unknown || leftover.outcome == zwf::Leftover::Outcome::Failed)
            status = kExitTrouble;
    };
    for (const zwf::Leftover& leftover : zwf::RecoverAbandonedSteps(*fileSystem))
        tell(leftover);
    if (fromList && !CatalogueList(catalogue, *fileSystem, arguments.fromList, status))
        return Finish(kExitTrouble);
    std::size_t before = 0;
    for (const std::string& given : folders) {
        if (!zwf::TakeAddedFolder(catalogue, *fileSystem, given))
            continue;  // the same folder twice in a row is scanned once
        zwf::ScanReport report = zwf::ScanFolder(
            catalogue, *fileSystem, catalogue.lastFolder,
            [&](std::size_t found) { progress.FilesFound(before + found); }, arguments.filter);
        before = catalogue.allFiles.size();
        if (report.startError) {
            progress.Clear();
            Complain(given, report.startError);
            status = kExitTrouble;
        }
        for (const zwf::Leftover& leftover : report.leftovers)
            tell(leftover);
        for (const zwf::ScanProblem& problem : report.problems) {
            progress.Clear();
            Complain(problem.folder, problem.error);
            status = kExitTrouble;
        }
    }
    if (!fromList) {
        // Sorting the files into sizes comes first and reports nothing: the line tells of the
        // comparing at once. Then the search's threads report, one at a time, and nothing else
        // writes to stderr until it ends.
        progress.Compared(0, 1);
        const zwf::SearchReport search = zwf::FindDuplicates(
            catalogue, *fileSystem, [&](std::uint64_t done, std::uint64_t total) { progress.Compared(done, total); });
        progress.Clear();
        for (const zwf::UnreadFile& unread : search.unread) {
            Complain(catalogue.FullPath(catalogue.allFiles[unread.file]), unread.error);
            status = kExitTrouble;
        }
    }

    // From here on a request to end lets the copy in hand finish its step and the record be printed.
    zwf::cli::EndAtOnce(false);
    if (arguments.action != zwf::cli::Action::None) {
        zwf::cli::AddFoldersBelow(arguments.keep, catalogue);
        status = std::max(status, zwf::cli::CarryOut(stdout, catalogue, *fileSystem, arguments,
                                                     [] { return zwf::cli::EndSignal() != 0; }));
        return Finish(status);
    }
    switch (arguments.format) {
    case zwf::cli::Format::Plain: zwf::cli::PrintPlain(stdout, catalogue, arguments.list); break;
    case zwf::cli::Format::Null: zwf::cli::PrintNullSeparated(stdout, catalogue, arguments.list); break;
    case zwf::cli::Format::Summary: zwf::cli::PrintSummary(stdout, catalogue); break;
    case zwf::cli::Format::Json: zwf::cli::PrintJson(stdout, catalogue); break;
    }
    return Finish(status);
}

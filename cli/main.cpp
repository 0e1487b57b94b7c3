// zwf: finds files with identical content below the folders given and prints them. It never deletes.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "catalogue/ScanFolder.h"
#include "cli/Arguments.h"
#include "cli/Console.h"
#include "cli/Report.h"
#include "cli/TermProgress.h"
#include "detect/FindDuplicates.h"

namespace {

constexpr int kExitTrouble = 2;

// Names a folder or file that could not be read, and why. The search goes on without it.
void Complain(const std::string& what, std::error_code error) {
    std::fprintf(stderr, "zwf: %s: %s\n", what.c_str(), error.message().c_str());
}

}  // namespace

int main(int argc, char** argv) {
    const zwf::cli::Arguments arguments = zwf::cli::ParseArguments(zwf::cli::Utf8Arguments(argc, argv));
    if (!arguments.error.empty()) {
        std::fprintf(stderr, "zwf: %s\nAufruf: zwf [-0 | --summary | --json] ORDNER...  (zwf --help)\n",
                     arguments.error.c_str());
        return kExitTrouble;
    }
    if (arguments.help) {
        std::fputs(zwf::cli::kUsage, stdout);
        return 0;
    }
    if (arguments.version) {
        std::fputs("zwf " ZWF_VERSION "\n", stdout);
        return 0;
    }
    const std::vector<std::string>& folders = arguments.folders;

    auto fileSystem = zwf::MakeNativeFileSystem();
    zwf::Catalogue catalogue(fileSystem->Separator());
    zwf::cli::TermProgress progress(zwf::cli::StderrIsTerminal());
    int status = 0;
    std::size_t before = 0;
    for (const std::string& given : folders) {
        if (!zwf::TakeAddedFolder(catalogue, *fileSystem, given))
            continue;  // the same folder twice in a row is scanned once
        zwf::ScanReport report = zwf::ScanFolder(catalogue, *fileSystem, catalogue.lastFolder,
                                                 [&](std::size_t found) { progress.FilesFound(before + found); });
        before = catalogue.allFiles.size();
        if (report.startError) {
            progress.Clear();
            Complain(given, report.startError);
            status = kExitTrouble;
        }
        for (const zwf::ScanProblem& problem : report.problems) {
            progress.Clear();
            Complain(problem.folder, problem.error);
            status = kExitTrouble;
        }
    }
    const zwf::SearchReport search = zwf::FindDuplicates(
        catalogue, *fileSystem, [&](std::uint64_t done, std::uint64_t total) { progress.Compared(done, total); });
    progress.Clear();
    for (const zwf::UnreadFile& unread : search.unread) {
        Complain(catalogue.FullPath(catalogue.allFiles[unread.file]), unread.error);
        status = kExitTrouble;
    }

    switch (arguments.format) {
    case zwf::cli::Format::Plain: zwf::cli::PrintPlain(stdout, catalogue); break;
    case zwf::cli::Format::Null: zwf::cli::PrintNullSeparated(stdout, catalogue); break;
    case zwf::cli::Format::Summary: zwf::cli::PrintSummary(stdout, catalogue); break;
    case zwf::cli::Format::Json: zwf::cli::PrintJson(stdout, catalogue); break;
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        const int error = errno;
        std::fprintf(stderr, "zwf: Ausgabe konnte nicht geschrieben werden: %s\n", std::strerror(error));
        status = kExitTrouble;
    }
    return status;
}

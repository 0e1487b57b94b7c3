// zwf: finds files with identical content below the folders given and prints them. It never deletes.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>
#include <vector>

#include "catalogue/ScanFolder.h"
#include "cli/Report.h"
#include "cli/TermProgress.h"
#include "cli/Terminal.h"
#include "detect/FindDuplicates.h"

namespace {

constexpr int kExitTrouble = 2;

enum class Format { Plain, Summary, Json };

// A folder as the add-folder command hands it on: ending in exactly one separator.
std::string AsPickedFolder(std::string folder, const zwf::FileSystem& fileSystem) {
    const char separator = fileSystem.Separator();
    while (folder.size() > 1 && folder.back() == separator && !fileSystem.IsRoot(folder))
        folder.pop_back();
    if (!folder.empty() && folder.back() != separator)
        folder.push_back(separator);
    return folder;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Findet Dateien mit gleichem Inhalt unterhalb der angegebenen Ordner. Löscht nichts.", "zwf"};
    std::vector<std::string> folders;
    bool summary = false;
    bool json = false;
    app.add_option("FOLDER", folders, "Ordner, die durchsucht werden")->required();
    auto* summaryFlag = app.add_flag("-m,--summary", summary, "Nur Anzahlen und freizugebende Bytes ausgeben");
    app.add_flag("--json", json, "Ergebnis als JSON ausgeben")->excludes(summaryFlag);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& help) {
        return app.exit(help);
    } catch (const CLI::ParseError& error) {
        app.exit(error);
        return kExitTrouble;
    }
    const Format format = json ? Format::Json : summary ? Format::Summary : Format::Plain;

    auto fileSystem = zwf::MakeNativeFileSystem();
    zwf::Catalogue catalogue(fileSystem->Separator());
    zwf::cli::TermProgress progress(zwf::cli::StderrIsTerminal());
    int status = 0;
    std::size_t before = 0;
    for (const std::string& given : folders) {
        const std::string picked = AsPickedFolder(given, *fileSystem);
        if (picked.empty() || picked == catalogue.lastFolder)
            continue;  // the same folder twice in a row is scanned once
        catalogue.lastFolder = picked;
        zwf::ScanReport report = zwf::ScanFolder(catalogue, *fileSystem, picked, [&](std::size_t found) {
            progress.FilesFound(before + found);
        });
        before = catalogue.allFiles.size();
        if (report.startError) {
            progress.Clear();
            std::fprintf(stderr, "zwf: %s: %s\n", given.c_str(), report.startError.message().c_str());
            status = kExitTrouble;
        }
    }
    zwf::FindDuplicates(catalogue, *fileSystem,
                        [&](std::uint64_t done, std::uint64_t total) { progress.Compared(done, total); });
    progress.Clear();

    switch (format) {
    case Format::Plain: zwf::cli::PrintPlain(stdout, catalogue); break;
    case Format::Summary: zwf::cli::PrintSummary(stdout, catalogue); break;
    case Format::Json: zwf::cli::PrintJson(stdout, catalogue); break;
    }
    if (std::fflush(stdout) != 0)
        status = kExitTrouble;
    return status;
}

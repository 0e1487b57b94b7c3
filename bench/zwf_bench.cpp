// A small driver for timing the engine alone: catalogues the folders given, searches, and prints
// what was found and what was read.
#include <cstdio>
#include <string>

#include "catalogue/Catalogue.h"
#include "catalogue/ScanFolder.h"
#include "detect/FindDuplicates.h"
#include "platform/FileSystem.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: zwf_bench FOLDER...\n");
        return 2;
    }
    auto fileSystem = zwf::MakeNativeFileSystem();
    zwf::Catalogue catalogue(fileSystem->Separator());
    for (int i = 1; i < argc; ++i)
        zwf::ScanFolder(catalogue, *fileSystem, argv[i]);
    zwf::IoCounters io;
    zwf::FindDuplicates(catalogue, *fileSystem, {}, &io);
    std::size_t copies = 0;
    for (const zwf::DuplicateGroup& group : catalogue.groups)
        copies += group.memberCount;
    std::printf("%zu files, %zu groups, %zu files in groups, %llu opened, %llu bytes read\n",
                catalogue.allFiles.size(), catalogue.groups.size(), copies,
                static_cast<unsigned long long>(io.filesOpened), static_cast<unsigned long long>(io.bytesRead));
    return 0;
}

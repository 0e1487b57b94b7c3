// Times the checks and removals of the delete commands: catalogues the folders given, searches,
// then deletes the second copy of every group as "Lösche markierte Datei" would. It deletes
// files: give it a copy of a benchmark tree.
#include <chrono>
#include <cstdio>

#include "app/DeletePlan.h"
#include "catalogue/ScanFolder.h"
#include "detect/FindDuplicates.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: zwf_delete_bench FOLDER...   (deletes copies!)\n");
        return 2;
    }
    auto fileSystem = zwf::MakeNativeFileSystem();
    zwf::Catalogue catalogue(fileSystem->Separator());
    for (int i = 1; i < argc; ++i)
        zwf::ScanFolder(catalogue, *fileSystem, argv[i]);
    zwf::FindDuplicates(catalogue, *fileSystem);
    const auto start = std::chrono::steady_clock::now();
    std::size_t deleted = 0;
    for (std::size_t g = 0; g < catalogue.groups.size(); ++g) {
        auto plan = zwf::PlanDeleteMarked(catalogue, static_cast<int>(g), 1);
        for (zwf::DeleteResult result : zwf::ExecutePlan(*plan, catalogue, *fileSystem, {}))
            deleted += result == zwf::DeleteResult::Deleted;
    }
    const auto end = std::chrono::steady_clock::now();
    std::printf("%zu groups, %zu copies deleted in %.0f ms\n", catalogue.groups.size(), deleted,
                std::chrono::duration<double, std::milli>(end - start).count());
    return 0;
}

// A small driver for timing the engine alone: catalogues the folders given, searches, and prints
// what was found and what was read, also against the candidate bytes (every byte of every file
// that shares its size with another), which an exact search must read at least once.
#include <chrono>
#include <cstdio>
#include <string>

#include "catalogue/Catalogue.h"
#include "catalogue/ScanFolder.h"
#include "detect/FindDuplicates.h"
#include "detect/SizeBuckets.h"
#include "platform/FileSystem.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: zwf_bench FOLDER...\n");
        return 2;
    }
    auto fileSystem = zwf::MakeNativeFileSystem();
    zwf::Catalogue catalogue(fileSystem->Separator());
    const auto start = std::chrono::steady_clock::now();
    for (int i = 1; i < argc; ++i)
        zwf::ScanFolder(catalogue, *fileSystem, argv[i]);
    const auto scanned = std::chrono::steady_clock::now();
    zwf::IoCounters io;
    zwf::FindDuplicates(catalogue, *fileSystem, {}, &io);
    const auto searched = std::chrono::steady_clock::now();
    std::uint64_t candidateBytes = 0;
    for (const zwf::detect::Bucket& bucket :
         zwf::detect::BucketBySize(catalogue.allFiles, zwf::detect::FirstRecordOfEachFile(catalogue.allFiles)))
        candidateBytes += bucket.size * bucket.files.size();
    using Ms = std::chrono::duration<double, std::milli>;
    std::fprintf(stderr, "scan %.0f ms, search %.0f ms\n", Ms(scanned - start).count(), Ms(searched - scanned).count());
    std::size_t copies = 0;
    for (const zwf::DuplicateGroup& group : catalogue.groups)
        copies += group.memberCount;
    std::printf(
        "%zu files, %zu groups, %zu files in groups, %llu opened, %llu bytes read, %llu candidate bytes, "
        "read/candidate %.3f\n",
        catalogue.allFiles.size(), catalogue.groups.size(), copies, static_cast<unsigned long long>(io.filesOpened),
        static_cast<unsigned long long>(io.bytesRead), static_cast<unsigned long long>(candidateBytes),
        candidateBytes > 0 ? static_cast<double>(io.bytesRead) / static_cast<double>(candidateBytes) : 0.0);
    return 0;
}

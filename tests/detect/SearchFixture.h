#pragma once

#include <memory>
#include <string>
#include <vector>

#include "catalogue/Catalogue.h"
#include "catalogue/ScanFolder.h"
#include "detect/FindDuplicates.h"
#include "platform/FileSystem.h"
#include "tests/support/TempTree.h"

namespace zwf::test {

// Scans folders of a TempTree into a catalogue and runs the search on it.
class Search {
public:
    explicit Search(const TempTree& tree, std::unique_ptr<FileSystem> fileSystem = MakeNativeFileSystem())
        : m_tree(tree), fs(std::move(fileSystem)), catalogue(fs->Separator()) {}

    Search& Add(const std::string& relative) {
        ScanFolder(catalogue, *fs, m_tree.Path(relative));
        return *this;
    }

    // The groups found, each as the member paths relative to the tree, "/"-separated.
    std::vector<std::vector<std::string>> Run(const SearchProgressFn& progress = {}) {
        report = FindDuplicates(catalogue, *fs, progress, &io);
        std::vector<std::vector<std::string>> groups;
        for (const DuplicateGroup& group : catalogue.groups) {
            groups.emplace_back();
            for (const GroupMember& member : catalogue.Members(group))
                groups.back().push_back(Relative(catalogue.FullPath(member)));
        }
        return groups;
    }

    std::string Relative(const std::string& full) const {
        std::string rest = full.substr(m_tree.Path().size() + 1);
        for (char& c : rest)
            if (c == fs->Separator())
                c = '/';
        return rest;
    }

private:
    const TempTree& m_tree;

public:
    std::unique_ptr<FileSystem> fs;
    Catalogue catalogue;
    IoCounters io;
    SearchReport report;
};

}  // namespace zwf::test

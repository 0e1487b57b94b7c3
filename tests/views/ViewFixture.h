#pragma once

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "app/Layout.h"
#include "catalogue/Catalogue.h"
#include "platform/headless/HeadlessWindow.h"

namespace zwf::test {

// A catalogue built by hand: the views only read the lists, whatever filled them.
struct ViewFixture {
    Catalogue catalogue{'/'};
    HeadlessWindow window{kControls};

    std::size_t AddFile(std::string_view folder, std::string name, std::uint64_t size) {
        catalogue.allFiles.push_back(FileEntry{catalogue.folders.Intern(folder), std::move(name), size, {}});
        return catalogue.allFiles.size() - 1;
    }
    // A group of the given files of one size, all in folder.
    void AddGroup(std::string_view folder, std::initializer_list<std::string> names, std::uint64_t size = 4) {
        std::vector<std::size_t> sources;
        for (const std::string& name : names)
            sources.push_back(AddFile(folder, name, size));
        catalogue.AppendGroup(size, sources);
    }
};

}  // namespace zwf::test

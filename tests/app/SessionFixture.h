#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/Layout.h"
#include "app/Session.h"
#include "platform/headless/HeadlessWindow.h"
#include "tests/support/FaultyFileSystem.h"
#include "tests/support/TempTree.h"

namespace zwf::test {

// One run of the program on the headless window, against real files.
class SessionTest : public ::testing::Test {
protected:
    std::unique_ptr<FileSystem> native = MakeNativeFileSystem();
    FaultyFileSystem fileSystem{*native};
    HeadlessWindow window{kControls};
    int exitCode = -1;

    // Keeps the window alive at every chance, so short work shows it too.
    void RunSession() {
        exitCode = zwf::Run(window, fileSystem, RunOptions{std::chrono::steady_clock::duration::zero()});
    }

    // The folder dialog answers as the platform does: the path without a trailing separator.
    HeadlessWindow& AddFolder(const TempTree& tree, std::string_view relative = {}) {
        return window.PickFolder(ctl::kAddFolder, tree.Path(relative));
    }

    // Ids of the controls that are enabled, in creation order.
    static std::vector<int> Enabled(const HeadlessWindow& shown) {
        std::vector<int> ids;
        for (const ControlSpec& spec : kControls)
            if (spec.kind != ControlSpec::Kind::Label && shown.IsEnabled(spec.id))
                ids.push_back(spec.id);
        return ids;
    }
};

using ::testing::ElementsAre;
using ::testing::IsEmpty;

}  // namespace zwf::test

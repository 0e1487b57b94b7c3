#include "app/EnabledState.h"

#include <gtest/gtest.h>

namespace zwf {
namespace {

TEST(EnabledFor, NothingButAddingAFolderWithoutFiles) {
    // Groups without files cannot arise, but the answer must not depend on them.
    for (bool groups : {false, true})
        for (bool members : {false, true})
            EXPECT_EQ(EnabledFor({false, groups, members}), EnabledControls{}) << groups << members;
}

TEST(EnabledFor, FilesAllowSearchAndReset) {
    EXPECT_EQ(EnabledFor({true, false, false}), (EnabledControls{true, true, false, false, false}));
    // Lines left in the members view from before do not enable deleting without groups.
    EXPECT_EQ(EnabledFor({true, false, true}), (EnabledControls{true, true, false, false, false}));
}

TEST(EnabledFor, DeletingNeedsGroupsAndShownMembers) {
    EXPECT_EQ(EnabledFor({true, true, false}), (EnabledControls{true, true, true, false, false}));
    EXPECT_EQ(EnabledFor({true, true, true}), (EnabledControls{true, true, true, true, true}));
}

}  // namespace
}  // namespace zwf

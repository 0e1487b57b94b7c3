#include "detect/FilesEqual.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/FileSystem.h"
#include "tests/support/Pattern.h"
#include "tests/support/TempTree.h"

namespace zwf {
namespace {

using test::TempTree;

class FilesEqualTest : public ::testing::Test {
protected:
    // Opens both files and compares them; 0 when either cannot be opened.
    int Equal(std::string_view a, std::string_view b, std::uint64_t size) {
        std::error_code error;
        auto first = fs->OpenRead(tree.Path(a), error);
        auto second = fs->OpenRead(tree.Path(b), error);
        return first && second ? ContentsEqual(*first, *second, size) : 0;
    }
    TempTree tree;
    std::unique_ptr<FileSystem> fs = MakeNativeFileSystem();
};

TEST_F(FilesEqualTest, FilesDifferingOnlyInTheLastByteAreDifferent) {
    std::string bytes(4097, 'q');
    tree.Write("a", bytes);
    tree.Write("b", bytes);
    bytes.back() = 'r';
    tree.Write("c", bytes);
    EXPECT_EQ(Equal("a", "b", 4097), 1);
    EXPECT_EQ(Equal("a", "c", 4097), 0);
    EXPECT_EQ(Equal("c", "a", 4097), 0);
}

TEST_F(FilesEqualTest, DifferenceBeyondTheFirstBlockIsFound) {
    std::string bytes = test::Pattern(3 * 256 * 1024 + 5, 0);
    tree.Write("a", bytes);
    tree.Write("b", bytes);
    bytes[2 * 256 * 1024 + 17] ^= 1;
    tree.Write("c", bytes);
    EXPECT_EQ(Equal("a", "b", bytes.size()), 1);
    EXPECT_EQ(Equal("a", "c", bytes.size()), 0);
}

TEST_F(FilesEqualTest, MissingFileOnEitherSideIsDifferent) {
    tree.Write("a", "0123456789");
    EXPECT_EQ(Equal("a", "gone", 10), 0);
    EXPECT_EQ(Equal("gone", "a", 10), 0);
}

TEST_F(FilesEqualTest, SameFileGivenTwiceIsIdentical) {
    tree.Write("a", "0123456789");
    EXPECT_EQ(Equal("a", "a", 10), 1);
}

// The size passed is the catalogued one; a file no longer of that size was not compared in full.
TEST_F(FilesEqualTest, FileOfAnotherSizeThanCataloguedIsDifferent) {
    tree.Write("short", "01234");
    tree.Write("long", "0123456789");
    tree.Write("long2", "0123456789");
    EXPECT_EQ(Equal("long", "long2", 5), 0) << "both grew beyond the compared size";
    EXPECT_EQ(Equal("short", "long", 5), 0) << "one grew";
    EXPECT_EQ(Equal("short", "short", 10), 0) << "shrank below the compared size";
    EXPECT_EQ(Equal("long", "long2", 10), 1);
}

}  // namespace
}  // namespace zwf

#include "catalogue/ScanFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/FaultyFileSystem.h"
#include "tests/support/TempTree.h"

namespace zwf {
namespace {

using test::FaultyFileSystem;
using test::TempTree;
using ::testing::ElementsAre;

struct Scanned {
    std::unique_ptr<FileSystem> fs = MakeNativeFileSystem();
    Catalogue catalogue{fs->Separator()};
};

std::vector<std::string> FullPaths(const Catalogue& catalogue) {
    std::vector<std::string> paths;
    for (const FileEntry& entry : catalogue.allFiles)
        paths.push_back(catalogue.FullPath(entry));
    return paths;
}

TEST(ScanFolder, CataloguesDepthFirstInPreOrderWithSizes) {
    TempTree tree{{"F/a.txt", "aa"}, {"F/sub/b.txt", "bbb"}, {"F/sub/deeper/c.txt", ""}, {"F/z.txt", "z"}};
    Scanned s;
    ScanReport report = ScanFolder(s.catalogue, *s.fs, tree.Path("F"));

    EXPECT_EQ(report.filesAdded, 4u);
    EXPECT_FALSE(report.startError);
    EXPECT_THAT(FullPaths(s.catalogue),
                ElementsAre(tree.Path("F/a.txt"), tree.Path("F/sub/b.txt"), tree.Path("F/sub/deeper/c.txt"),
                            tree.Path("F/z.txt")));
    std::vector<std::uint64_t> sizes;
    for (const FileEntry& entry : s.catalogue.allFiles)
        sizes.push_back(entry.size);
    EXPECT_THAT(sizes, ElementsAre(2u, 3u, 0u, 1u));
    EXPECT_EQ(s.catalogue.Path(s.catalogue.allFiles[0].folder), tree.Path("F"));
}

TEST(ScanFolder, TrailingSeparatorGivesTheSameCatalogue) {
    TempTree tree{{"D/x", "1"}, {"D/S/y", "2"}};
    Scanned plain, withSeparator;
    ScanFolder(plain.catalogue, *plain.fs, tree.Path("D"));
    ScanFolder(withSeparator.catalogue, *withSeparator.fs, tree.Path("D") + withSeparator.fs->Separator());
    EXPECT_EQ(FullPaths(plain.catalogue), FullPaths(withSeparator.catalogue));
    EXPECT_EQ(withSeparator.catalogue.Path(withSeparator.catalogue.allFiles.back().folder), tree.Path("D"));
}

TEST(ScanFolder, HiddenFilesAndFilesInHiddenFoldersAreCatalogued) {
    TempTree tree{{"D/.hidden", "h"}, {"D/.secret/inner.txt", "i"}};
    Scanned s;
    ScanFolder(s.catalogue, *s.fs, tree.Path("D"));
    EXPECT_THAT(FullPaths(s.catalogue), ElementsAre(tree.Path("D/.hidden"), tree.Path("D/.secret/inner.txt")));
}

TEST(ScanFolder, UnreadableFoldersAreSkippedAndTheirSiblingsStillScanned) {
    TempTree tree{{"D/a/1", "1"}, {"D/b/2", "2"}, {"D/b/inner/3", "3"}, {"D/c/4", "4"}, {"D/5", "5"}};
    FaultyFileSystem fs;
    fs.RefuseListing(tree.Path("D/b"));
    Catalogue catalogue(fs.Separator());
    ScanReport report = ScanFolder(catalogue, fs, tree.Path("D"));

    EXPECT_THAT(FullPaths(catalogue), ElementsAre(tree.Path("D/5"), tree.Path("D/a/1"), tree.Path("D/c/4")));
    EXPECT_EQ(report.foldersSkipped, 1u);
    EXPECT_FALSE(report.startError);
}

TEST(ScanFolder, AFolderThatFailsPartWayKeepsWhatWasReadAndIsReported) {
    TempTree tree{{"D/a/1", "1"}, {"D/b/2", "2"}, {"D/b/inner/3", "3"}, {"D/c/4", "4"}};
    FaultyFileSystem fs;
    fs.FailListingPartWay(tree.Path("D/b"));
    Catalogue catalogue(fs.Separator());
    ScanReport report = ScanFolder(catalogue, fs, tree.Path("D"));

    EXPECT_THAT(FullPaths(catalogue), ElementsAre(tree.Path("D/a/1"), tree.Path("D/b/2"), tree.Path("D/c/4")));
    EXPECT_EQ(report.foldersSkipped, 0u);
    ASSERT_EQ(report.problems.size(), 1u);
    EXPECT_EQ(report.problems[0].folder, tree.Path("D/b"));
    EXPECT_EQ(report.problems[0].error, std::errc::io_error);
}

TEST(ScanFolder, StartFolderThatCannotBeReadIsReportedAndAddsNothing) {
    TempTree tree;
    Scanned s;
    ScanReport missing = ScanFolder(s.catalogue, *s.fs, tree.Path("nowhere"));
    EXPECT_TRUE(missing.startError);
    EXPECT_TRUE(s.catalogue.allFiles.empty());

    tree.Write("plain-file", "x");
    ScanReport notAFolder = ScanFolder(s.catalogue, *s.fs, tree.Path("plain-file"));
    EXPECT_TRUE(notAFolder.startError);
    EXPECT_TRUE(s.catalogue.allFiles.empty());
}

TEST(ScanFolder, ReadsEachFolderOnceAndOpensNoFile) {
    TempTree tree{{"D/a", "1"}, {"D/b", "2"}, {"D/S/c", "3"}, {"D/S/T/d", "4"}};
    FaultyFileSystem counting;
    Catalogue catalogue(counting.Separator());
    ScanFolder(catalogue, counting, tree.Path("D"));
    EXPECT_EQ(catalogue.allFiles.size(), 4u);
    EXPECT_EQ(counting.Listings(), 3);
    EXPECT_EQ(counting.Opens(), 0);
}

TEST(ScanFolder, AddingAFolderAgainCataloguesItsFilesAgainAndSharesFolderTexts) {
    TempTree tree{{"D/a", "1"}, {"D/b", "2"}, {"D/s/c", "3"}};
    Scanned s;
    ScanFolder(s.catalogue, *s.fs, tree.Path("D"));
    ScanFolder(s.catalogue, *s.fs, tree.Path("D/s"));
    ScanFolder(s.catalogue, *s.fs, tree.Path("D"));
    EXPECT_THAT(FullPaths(s.catalogue),
                ElementsAre(tree.Path("D/a"), tree.Path("D/b"), tree.Path("D/s/c"), tree.Path("D/s/c"),
                            tree.Path("D/a"), tree.Path("D/b"), tree.Path("D/s/c")));
    // Seven files; D and D/s once each as scanned below D, and D/s once more as a folder added itself.
    EXPECT_EQ(s.catalogue.folders.Count(), 3u);
    EXPECT_EQ(s.catalogue.allFiles[0].identity, s.catalogue.allFiles[4].identity);
    EXPECT_NE(s.catalogue.allFiles[0].identity, s.catalogue.allFiles[1].identity);
}

TEST(ScanFolder, ReportsFilesFoundSoFarAndTheTotalAtTheEnd) {
    TempTree tree;
    for (int i = 0; i < 2500; ++i)
        tree.Write("D/f" + std::to_string(i), "");
    Scanned s;
    std::vector<std::size_t> seen;
    ScanFolder(s.catalogue, *s.fs, tree.Path("D"), [&](std::size_t found) { seen.push_back(found); });
    ASSERT_GE(seen.size(), 2u);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(seen.back(), 2500u);
}

}  // namespace
}  // namespace zwf

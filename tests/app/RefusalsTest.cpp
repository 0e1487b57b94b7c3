// Each refusal of the file system keeps its reason, from the failing call to the words shown.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/DeletePlan.h"
#include "app/Refusals.h"
#include "catalogue/ScanFolder.h"
#include "detect/FindDuplicates.h"
#include "tests/support/FaultyFileSystem.h"
#include "tests/support/TempTree.h"

namespace zwf::test {
namespace {

TEST(Refusals, EachReasonHasWordsOfItsOwn) {
    const std::error_code protectedLink = make_error_code(FsError::LinkProtected);
    const struct {
        std::error_code error;
        bool linking;
        std::string_view text;
    } cases[] = {
        {std::make_error_code(std::errc::no_space_on_device), false, "der Datenträger ist voll"},
        {std::make_error_code(std::errc::read_only_file_system), false, "das Dateisystem ist schreibgeschützt"},
        {std::make_error_code(std::errc::permission_denied), false, "keine Berechtigung"},
        {std::make_error_code(std::errc::operation_not_permitted), false, "der Vorgang ist nicht erlaubt"},
        {std::make_error_code(std::errc::operation_not_permitted), true,
         "der Vorgang ist nicht erlaubt, oder dieses Dateisystem kennt keine harten Verknüpfungen"},
        {protectedLink, true,
         "die behaltene Kopie gehört einem anderen Benutzer, und das System erlaubt keine harte Verknüpfung mit ihr "
         "(fs.protected_hardlinks)"},
        {std::make_error_code(std::errc::cross_device_link), true,
         "liegt auf einem anderen Dateisystem als die behaltene Kopie"},
        {std::make_error_code(std::errc::not_supported), true, "dieses Dateisystem kennt keine harten Verknüpfungen"},
        {std::make_error_code(std::errc::too_many_links), true,
         "die behaltene Kopie hat schon so viele Namen, wie das Dateisystem erlaubt"},
        {std::make_error_code(std::errc::device_or_resource_busy), false,
         "die Datei ist belegt oder von einem anderen Programm gesperrt"},
        {std::make_error_code(std::errc::io_error), false, "Ein-/Ausgabefehler"},
        {std::make_error_code(std::errc::no_lock_available), false, "das Dateisystem verweigert es"},
        {std::error_code(), false, "das Dateisystem verweigert es"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WhyRefused(c.error, c.linking), c.text) << c.error.message() << (c.linking ? ", linking" : "");
}

// The error the file system gave reaches whoever shows it, for the copy refused and no other.
TEST(Refusals, ADeleteHandsOnTheSystemsReasonForTheCopyRefused) {
    for (const std::errc error : {std::errc::no_space_on_device, std::errc::read_only_file_system,
                                  std::errc::permission_denied, std::errc::operation_not_permitted}) {
        TempTree tree{{"1/b", "bb"}, {"2/b", "bb"}, {"3/b", "bb"}};
        FaultyFileSystem fileSystem;
        fileSystem.FailDelete(tree.Path("2/b"), error);
        Catalogue catalogue(fileSystem.Separator());
        ScanFolder(catalogue, fileSystem, tree.Path());
        FindDuplicates(catalogue, fileSystem);
        ASSERT_EQ(catalogue.groups.size(), 1u);
        std::vector<std::pair<std::size_t, std::error_code>> heard;
        DeleteCallbacks callbacks;
        callbacks.refused = [&](std::size_t i, std::error_code why) { heard.emplace_back(i, why); };
        const std::vector<DeleteResult> results =
            ExecutePlan(PlanKeeping(CopyAction::RemoveKeepingChosen, 0, {1, 2}, 0), catalogue, fileSystem, callbacks);
        EXPECT_THAT(results, ::testing::ElementsAre(DeleteResult::Failed, DeleteResult::Deleted));
        EXPECT_THAT(heard, ::testing::ElementsAre(std::pair{std::size_t{0}, std::make_error_code(error)}));
    }
}

}  // namespace
}  // namespace zwf::test

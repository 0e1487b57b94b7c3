#include "app/FolderPicker.h"

#include <ostream>

#include <gtest/gtest.h>

#include "app/Layout.h"
#include "platform/headless/HeadlessWindow.h"

namespace zwf {
namespace {

// Only the naming rules of a file system matter to the picker: its separator and its roots.
class NamingOnly final : public FileSystem {
public:
    explicit NamingOnly(char separator) : m_separator(separator) {}
    char Separator() const override { return m_separator; }
    bool IsRoot(std::string_view folder) const override {
        if (m_separator == '/')
            return folder == "/";
        return (folder.size() == 2 || (folder.size() == 3 && folder[2] == '\\')) && folder[1] == ':';
    }
    std::unique_ptr<FolderHandle> OpenFolder(const std::string&, std::error_code& error) override {
        error = std::make_error_code(std::errc::not_supported);
        return nullptr;
    }
    std::unique_ptr<FolderHandle> OpenSubfolder(FolderHandle&, const std::string&, const FileIdentity&,
                                                std::error_code& error) override {
        error = std::make_error_code(std::errc::not_supported);
        return nullptr;
    }
    FolderListing List(FolderHandle&) override { return {}; }
    FileStatus StatIn(FolderHandle&, const std::string&) override { return {}; }
    std::unique_ptr<AsideFile> MoveAside(FolderHandle&, const std::string&, std::error_code& error) override {
        error = std::make_error_code(std::errc::not_supported);
        return nullptr;
    }
    std::unique_ptr<ReadableFile> OpenRead(const std::string&, std::error_code& error) override {
        error = std::make_error_code(std::errc::not_supported);
        return nullptr;
    }

private:
    char m_separator;
};

struct PickerCase {
    char separator;
    std::string initial;
    std::string answer;
    std::string expectedInitial;  // what the dialog is opened on
    std::string expectedResult;
    friend std::ostream& operator<<(std::ostream& out, const PickerCase& c) {
        return out << "initial \"" << c.initial << "\", answer \"" << c.answer << '"';
    }
};

class FolderPickerTest : public ::testing::TestWithParam<PickerCase> {};

TEST_P(FolderPickerTest, OpensOnTheFolderAndAnswersWithOneTrailingSeparator) {
    const PickerCase& c = GetParam();
    NamingOnly fileSystem(c.separator);
    HeadlessWindow window(kControls);
    window.AnswerFolder(c.answer);
    EXPECT_EQ(FolderPicker(window, fileSystem, "Pfad hinzufügen...", c.initial), c.expectedResult);
    ASSERT_EQ(window.FolderRequests().size(), 1u);
    EXPECT_EQ(window.FolderRequests()[0].title, "Pfad hinzufügen...");
    EXPECT_EQ(window.FolderRequests()[0].initialFolder, c.expectedInitial);
}

INSTANTIATE_TEST_SUITE_P(
    Windows, FolderPickerTest,
    ::testing::Values(PickerCase{'\\', "C:\\Daten\\", "C:\\Daten", "C:\\Daten", "C:\\Daten\\"},
                      PickerCase{'\\', "C:\\", "C:\\", "C:\\", "C:\\"},  // a drive root keeps its backslash
                      PickerCase{'\\', "", "D:\\x\\y", "", "D:\\x\\y\\"},
                      PickerCase{'\\', "C:\\a\\\\", "C:", "C:\\a\\", "C:\\"},  // only one separator goes
                      PickerCase{'\\', "C:\\a", "\\\\server\\share\\", "C:\\a", "\\\\server\\share\\"},
                      PickerCase{'\\', "C:\\a\\", "", "C:\\a", ""}));  // cancelled

INSTANTIATE_TEST_SUITE_P(
    Posix, FolderPickerTest,
    ::testing::Values(PickerCase{'/', "/home/daten/", "/home/daten", "/home/daten", "/home/daten/"},
                      PickerCase{'/', "/", "/", "/", "/"},  // the root keeps its slash
                      PickerCase{'/', "/a/", "/b//", "/a", "/b/"},
                      PickerCase{'/', "", "/tmp", "", "/tmp/"},
                      PickerCase{'/', "/x/", "", "/x", ""}));

}  // namespace
}  // namespace zwf

// Whole sessions of the program on the Qt window, driven by mouse clicks on the real widgets.
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>

#include <algorithm>
#include <chrono>
#include <deque>
#include <functional>

#include <gmock/gmock.h>

#include "app/Run.h"
#include "platform/FileSystem.h"
#include "tests/qt/QtFixture.h"
#include "tests/support/TempTree.h"

namespace zwf::test {
namespace {

using testing::ElementsAre;

// Plays one step each time the program waits for the user; a session that asks for more steps
// than the script has is closed, so a failing test cannot hang.
class Script {
public:
    explicit Script(qt::QtWindow& window) : m_window(window) {
        window.SetWaitHook([this] { Next(); });
    }
    Script& Then(std::function<void()> step) {
        m_steps.push_back(std::move(step));
        return *this;
    }
    bool Finished() const { return m_steps.empty(); }

private:
    void Next() {
        if (m_steps.empty()) {
            ADD_FAILURE() << "the program waited once more than the script expected";
            m_window.Widget()->close();
            return;
        }
        auto step = std::move(m_steps.front());
        m_steps.pop_front();
        step();
    }

    qt::QtWindow& m_window;
    std::deque<std::function<void()>> m_steps;
};

class QtSessionTest : public QtWindowTest {
protected:
    QStringList Lines(int id) const {
        QStringList lines;
        for (int row = 0; row < LineTotal(List(id)); ++row)
            lines << LineText(List(id), row);
        return lines;
    }
    QString LabelText(int id) const { return qobject_cast<QLabel*>(window->Control(id))->text(); }
    std::vector<int> Enabled() const {
        std::vector<int> enabled;
        for (const ControlSpec& spec : kControls)
            if (spec.kind != ControlSpec::Kind::Label && window->Control(spec.id)->isEnabled())
                enabled.push_back(spec.id);
        return enabled;
    }
    void Click(int id) const {
        ASSERT_TRUE(Button(id)->isEnabled()) << "button " << id;
        QTest::mouseClick(Button(id), Qt::LeftButton);
    }
    int RunSession() {
        std::unique_ptr<FileSystem> fileSystem = MakeNativeFileSystem();
        return zwf::Run(*window, *fileSystem);
    }
};

TEST_F(QtSessionTest, AddSearchSelectDeleteAndCloseWithCredits) {
    TempTree tree{{"eins.txt", "gleich"}, {"zwei.txt", "gleich"}, {"drei.txt", "anders"},
                  {"sub/vier.txt", "gleich"}, {"sub/fuenf.dat", "paar!"}, {"sechs.dat", "paar!"}};
    const QString root = QString::fromStdString(tree.Path());
    std::vector<std::string> initialFolders;
    window->SetFolderChooser([&](std::string_view, std::string_view initial) {
        initialFolders.emplace_back(initial);
        return tree.Path();
    });
    Script script(*window);
    script
        .Then([&] {
            EXPECT_EQ(Enabled(), (std::vector<int>{ctl::kAddFolder, ctl::kAllFilesList, ctl::kGroupList}));
            Click(ctl::kAddFolder);
        })
        .Then([&] {
            EXPECT_EQ(LineTotal(List(ctl::kAllFilesList)), 6);
            EXPECT_EQ(LabelText(ctl::kAllFilesLabel), QString::fromUtf8("Alle Dateien (6)"));
            EXPECT_EQ(Enabled(), (std::vector<int>{0, 2, 8, 9, 4}));
            Click(ctl::kSearch);
        })
        .Then([&] {
            EXPECT_TRUE(Button(ctl::kSearch)->isVisible()) << "the progress bar is gone again";
            EXPECT_THAT(Lines(ctl::kGroupList), ElementsAre("3: eins.txt, vier.txt, zwei.txt", "2: sechs.dat, fuenf.dat"));
            ClickLine(ctl::kGroupList, 0);
        })
        .Then([&] {
            EXPECT_THAT(Lines(ctl::kMemberList),
                        ElementsAre(root + "/eins.txt", root + "/sub/vier.txt", root + "/zwei.txt"));
            EXPECT_EQ(window->SelectedLine(ctl::kMemberList), 0);
            EXPECT_EQ(Enabled(), (std::vector<int>{0, 2, 8, 9, 4, 6, 7, 10}));
            ClickLine(ctl::kMemberList, 1);
        })
        .Then([&] { Click(ctl::kDeleteMarked); })
        .Then([&] {
            EXPECT_FALSE(tree.Exists("sub/vier.txt"));
            EXPECT_THAT(Lines(ctl::kMemberList), ElementsAre(root + "/eins.txt", root + "/zwei.txt"));
            EXPECT_EQ(window->SelectedLine(ctl::kMemberList), 1);
            ClickLine(ctl::kGroupList, 1);
        })
        .Then([&] { Click(ctl::kDeleteGroup); })
        .Then([&] {
            EXPECT_FALSE(tree.Exists("sechs.dat"));
            EXPECT_FALSE(tree.Exists("sub/fuenf.dat"));
            EXPECT_TRUE(tree.Exists("eins.txt"));
            EXPECT_EQ(LineTotal(List(ctl::kGroupList)), 1);
            EXPECT_EQ(LabelText(ctl::kGroupsLabel), QString::fromUtf8("Dateien mit gleichem Inhalt (1)"));
            window->Widget()->close();
        });

    QString credits;
    WhenModalAppears([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        credits = box->windowTitle() + "|" + box->text();
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    });
    EXPECT_EQ(RunSession(), 0);

    EXPECT_TRUE(script.Finished());
    EXPECT_FALSE(window->IsOpen());
    EXPECT_EQ(credits, QString::fromUtf8("Credits|.-´¯`- Zwillingsfeger -´¯`-.\n\n`-._.-     by Quarzfuchs    -._.-´"));
    ASSERT_EQ(initialFolders.size(), 1U);
    EXPECT_EQ(initialFolders[0], "");
}

// A hurried double click on "Lösche alle Dateien (mit Original)": the first press deletes the
// group selected and selects the next one, the second press, 120 ms after the first, is dropped.
TEST_F(QtSessionTest, ADoubleClickOnDeleteAllDeletesOneGroup) {
    ASSERT_GT(window->DoubleClickTime(), std::chrono::milliseconds(120));
    TempTree tree{{"a1", "gleich"}, {"a2", "gleich"}, {"b1", "paar!"}, {"b2", "paar!"}};
    window->SetFolderChooser([&](std::string_view, std::string_view) { return tree.Path(); });
    QElapsedTimer sinceFirst;
    Script script(*window);
    script.Then([&] { Click(ctl::kAddFolder); })
        .Then([&] { Click(ctl::kSearch); })
        .Then([&] { ClickLine(ctl::kGroupList, 0); })
        .Then([&] {
            sinceFirst.start();
            Click(ctl::kDeleteGroup);
        })
        .Then([&] {
            EXPECT_THAT(Lines(ctl::kGroupList), ElementsAre("2: b1, b2"));
            QTest::qWait(static_cast<int>(std::max<qint64>(0, 120 - sinceFirst.elapsed())));
            Click(ctl::kDeleteGroup);
        })
        .Then([&] {
            EXPECT_FALSE(tree.Exists("a1"));
            EXPECT_FALSE(tree.Exists("a2"));
            EXPECT_TRUE(tree.Exists("b1"));
            EXPECT_TRUE(tree.Exists("b2"));
            EXPECT_THAT(Lines(ctl::kGroupList), ElementsAre("2: b1, b2"));
            window->Widget()->close();
        });
    WhenModalAppears([](QWidget* modal) { modal->close(); });
    EXPECT_EQ(RunSession(), 0);
    EXPECT_TRUE(script.Finished());
}

}  // namespace
}  // namespace zwf::test

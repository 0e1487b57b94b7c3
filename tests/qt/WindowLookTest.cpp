// How the main window looks and how the keyboard moves through it.
#include <QLabel>
#include <QScreen>

#include "tests/qt/QtFixture.h"

namespace zwf::test {
namespace {

TEST_F(QtWindowTest, WindowHasTitleFixedClientAreaAndNoMinimiseOrMaximise) {
    QWidget* widget = window->Widget();
    EXPECT_EQ(widget->windowTitle(), QString::fromUtf8("Zwillingsfeger"));
    EXPECT_EQ(widget->size(), QSize(600, 300));
    EXPECT_EQ(widget->minimumSize(), QSize(600, 300));
    EXPECT_EQ(widget->maximumSize(), QSize(600, 300));
    const Qt::WindowFlags flags = widget->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(widget->isVisible());
}

TEST_F(QtWindowTest, WindowStartsCentredOnTheScreen) {
    const QRect screen = window->Widget()->screen()->geometry();
    const QRect client = window->Widget()->geometry();
    EXPECT_LE(std::abs(client.center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(client.center().y() - screen.center().y()), 1);
}

TEST_F(QtWindowTest, EveryControlHasItsKindPlaceAndText) {
    const QList<QWidget*> children = window->Widget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    ASSERT_EQ(children.size(), static_cast<qsizetype>(kControls.size()));
    for (std::size_t i = 0; i < kControls.size(); ++i) {
        const ControlSpec& spec = kControls[i];
        SCOPED_TRACE(spec.id);
        QWidget* control = window->Control(spec.id);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(children[static_cast<qsizetype>(i)], control) << "created out of order";
        EXPECT_EQ(control->geometry(), QRect(spec.x, spec.y, spec.width, spec.height));
        EXPECT_TRUE(control->isVisible());
        const QString text = QString::fromUtf8(spec.text.data(), static_cast<qsizetype>(spec.text.size()));
        switch (spec.kind) {
        case ControlSpec::Kind::Button:
            ASSERT_NE(qobject_cast<QPushButton*>(control), nullptr);
            EXPECT_EQ(qobject_cast<QPushButton*>(control)->text(), text);
            break;
        case ControlSpec::Kind::Label:
            ASSERT_NE(qobject_cast<QLabel*>(control), nullptr);
            EXPECT_EQ(qobject_cast<QLabel*>(control)->text(), text);
            EXPECT_EQ(control->focusPolicy(), Qt::NoFocus);
            break;
        case ControlSpec::Kind::ListBox:
            ASSERT_NE(qobject_cast<QListView*>(control), nullptr);
            EXPECT_EQ(LineTotal(qobject_cast<QListView*>(control)), 0);
            break;
        }
    }
    EXPECT_EQ(Button(ctl::kAddFolder)->text(), QString::fromUtf8("Pfad hinzufügen"));
    EXPECT_EQ(Button(ctl::kDeleteGroup)->text(), QString::fromUtf8("Lösche alle Dateien (mit Original)"));
}

TEST_F(QtWindowTest, ListBoxesCutLongLinesWithoutWrapping) {
    QListView* list = List(ctl::kMemberList);
    EXPECT_EQ(list->textElideMode(), Qt::ElideNone);
    Fill(ctl::kMemberList, {"zeta", "/a/very/long/path/that/does/not/fit/into/the/list/box/at/all/"
                                    "because/it/goes/on/and/on/and/on/and/on/datei.txt"});
    // A long line still takes one line's height.
    EXPECT_EQ(LineRect(list, 1).height(), LineRect(list, 0).height());
}

TEST_F(QtWindowTest, NamesThatAreNotUtf8AreShownWithReplacementCharacters) {
    window->AppendLine(ctl::kAllFilesList, "caf\xE9.txt (4)");
    EXPECT_EQ(LineText(List(ctl::kAllFilesList), 0), QString::fromUtf8("caf\uFFFD.txt (4)"));
}

// Presses Tab (or Shift+Tab) n times from the focused control and lists the ids that get the focus.
std::vector<int> WalkFocus(qt::QtWindow& window, int steps, bool backwards) {
    std::vector<int> visited;
    for (int step = 0; step < steps; ++step) {
        QWidget* focused = QApplication::focusWidget();
        if (focused == nullptr)
            break;
        QTest::keyClick(focused, backwards ? Qt::Key_Backtab : Qt::Key_Tab,
                        backwards ? Qt::ShiftModifier : Qt::NoModifier);
        int id = -1;
        for (const ControlSpec& spec : kControls)
            if (window.Control(spec.id) == QApplication::focusWidget())
                id = spec.id;
        visited.push_back(id);
    }
    return visited;
}

TEST_F(QtWindowTest, TabMovesThroughEnabledControlsInCreationOrderAndWraps) {
    Fill(ctl::kAllFilesList, {"a (1)"});
    Button(ctl::kAddFolder)->setFocus();
    EXPECT_EQ(WalkFocus(*window, 8, false), (std::vector<int>{2, 8, 9, 4, 6, 7, 10, 0}));
    EXPECT_EQ(WalkFocus(*window, 8, true), (std::vector<int>{10, 7, 6, 4, 9, 8, 2, 0}));

    // The states right after start: only the add button and the first two lists take input.
    for (int id : {ctl::kSearch, ctl::kMemberList, ctl::kDeleteMarked, ctl::kDeleteGroup, ctl::kReset})
        window->Enable(id, false);
    EXPECT_EQ(WalkFocus(*window, 3, false), (std::vector<int>{2, 4, 0}));
    EXPECT_EQ(WalkFocus(*window, 3, true), (std::vector<int>{4, 2, 0}));
}

}  // namespace
}  // namespace zwf::test

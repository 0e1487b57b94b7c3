// Real mouse and keyboard input on the widgets, turned into the program's events.
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>
#include <QProgressBar>

#include <gmock/gmock.h>

#include "tests/qt/QtFixture.h"

namespace zwf::test {
namespace {

using testing::ElementsAre;
using Action = WindowEvent::Action;

TEST_F(QtWindowTest, ButtonsReportClicksByMouseAndSpaceButNotWhenDisabledAndLabelsNothing) {
    QTest::mouseClick(Button(ctl::kAddFolder), Qt::LeftButton);
    Button(ctl::kReset)->setFocus();
    QTest::keyClick(Button(ctl::kReset), Qt::Key_Space);
    window->Enable(ctl::kSearch, false);
    QTest::mouseClick(Button(ctl::kSearch), Qt::LeftButton);
    QTest::mouseClick(window->Control(ctl::kGroupsLabel), Qt::LeftButton);
    EXPECT_THAT(TakeEvents(), ElementsAre(ControlEvent(ctl::kAddFolder, Action::Click),
                                          ControlEvent(ctl::kReset, Action::Click)));
}

TEST_F(QtWindowTest, ListBoxesReportSelectionChangesByMouseArrowKeysAndTyping) {
    Fill(ctl::kGroupList, {"2: apfel, apfel", "2: birne, birne", "3: kiwi, kiwi, kiwi"});
    ClickLine(ctl::kGroupList, 1);
    EXPECT_EQ(window->SelectedLine(ctl::kGroupList), 1);
    QTest::keyClick(List(ctl::kGroupList), Qt::Key_Down);
    EXPECT_EQ(window->SelectedLine(ctl::kGroupList), 2);
    QTest::keyClicks(List(ctl::kGroupList), "2");
    EXPECT_EQ(window->SelectedLine(ctl::kGroupList), 0) << "typing jumps to the line starting with it";
    EXPECT_THAT(TakeEvents(), ElementsAre(ControlEvent(ctl::kGroupList, Action::SelectionChange),
                                          ControlEvent(ctl::kGroupList, Action::SelectionChange),
                                          ControlEvent(ctl::kGroupList, Action::SelectionChange)));
}

TEST_F(QtWindowTest, OnlyALeftClickChangesTheSelectionAndCtrlClickDoesNotTakeItAway) {
    Fill(ctl::kMemberList, {"/a/x", "/b/x"});
    ClickLine(ctl::kMemberList, 1);
    ClickLine(ctl::kMemberList, 1, Qt::ControlModifier);
    const QListView* list = List(ctl::kMemberList);
    for (Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
        QTest::mouseClick(list->viewport(), button, {}, LineRect(list, 0).center());
        QTest::mouseDClick(list->viewport(), button, {}, LineRect(list, 1).center());
    }
    EXPECT_EQ(window->SelectedLine(ctl::kMemberList), 1);
    EXPECT_THAT(TakeEvents(), ElementsAre(ControlEvent(ctl::kMemberList, Action::SelectionChange)));
}

TEST_F(QtWindowTest, WaitBlocksUntilTheUserActs) {
    window->WaitEvent();  // the report right after start
    int waits = 0;
    window->SetWaitHook([&] {
        ++waits;
        QTimer::singleShot(20, [this] { QTest::mouseClick(Button(ctl::kAddFolder), Qt::LeftButton); });
    });
    EXPECT_EQ(window->WaitEvent(), ControlEvent(ctl::kAddFolder, Action::Click));
    EXPECT_EQ(waits, 1);
}

TEST_F(QtWindowTest, CloseBoxAskedTwiceIsOneRequestAndCloseDestroysTheWidget) {
    window->Widget()->close();
    window->Widget()->close();
    EXPECT_TRUE(window->Widget()->isVisible());
    EXPECT_THAT(TakeEvents(), ElementsAre(WindowEvent{WindowEvent::Kind::Close, -1, Action::None}));
    QPointer<QWidget> widget = window->Widget();
    window->Close();
    EXPECT_TRUE(widget.isNull());
}

struct PaintCounter : QObject {
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override {
        count += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
    int count = 0;
};

TEST_F(QtWindowTest, ProgressBarTakesTheSearchButtonsGeometryAndIsPaintedAtOnce) {
    window->ShowProgressBar(true);
    QProgressBar* bar = window->ProgressBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->geometry(), QRect(200, 0, 398, 24));
    EXPECT_FALSE(bar->isTextVisible());
    window->ShowProgressBar(false);
    // Painted straight away: a long comparison may not let the window repaint for a while.
    PaintCounter paints(bar);
    window->ShowProgressBar(true);
    EXPECT_GE(paints.count, 1);
}

// Posts a full click to the widget, as the window system would deliver it later.
void PostClick(QWidget* widget) {
    const QPointF at = QRectF(widget->rect()).center();
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
        QCoreApplication::postEvent(widget, new QMouseEvent(type, at, widget->mapToGlobal(at), Qt::LeftButton,
                                                            Qt::LeftButton, Qt::NoModifier));
}

TEST_F(QtWindowTest, InputDuringWorkIsDiscardedAndNeverReplayed) {
    Fill(ctl::kGroupList, {"a", "b"});
    window->BeginWork();
    QTest::mouseClick(Button(ctl::kAddFolder), Qt::LeftButton);
    ClickLine(ctl::kGroupList, 1);
    QTest::keyClick(Button(ctl::kAddFolder), Qt::Key_Space);
    window->KeepAlive();
    PostClick(Button(ctl::kReset));  // still waiting when the work ends
    window->EndWork();
    QCoreApplication::processEvents();
    EXPECT_TRUE(TakeEvents().empty());
    EXPECT_EQ(window->SelectedLine(ctl::kGroupList), -1);

    // Afterwards input counts again.
    PostClick(Button(ctl::kReset));
    QCoreApplication::processEvents();
    EXPECT_THAT(TakeEvents(), ElementsAre(ControlEvent(ctl::kReset, Action::Click)));
}

// A question from outside (a screen reader's, say) arrives as a posted event; every KeepAlive
// answers it, however soon after the last one. A button pressed from outside meanwhile, where
// the input blocker cannot see it, still raises nothing after the work.
TEST_F(QtWindowTest, EveryKeepAliveAnswersWhatIsPendingButNoControlActsOnIt) {
    for (int piece = 0; piece < 2; ++piece) {
        window->BeginWork();
        for (int call = 0; call < 3; ++call) {
            bool handled = false;
            QMetaObject::invokeMethod(qApp, [&handled] { handled = true; }, Qt::QueuedConnection);
            window->KeepAlive();
            EXPECT_TRUE(handled) << "piece " << piece << ", call " << call;
        }
        Button(ctl::kSearch)->click();
        window->KeepAlive();
        window->EndWork();
    }
    QCoreApplication::processEvents();
    EXPECT_TRUE(TakeEvents().empty());
}

// Painting during work waits for its turn, but is never lost: Qt asks a window again only once
// its last request was handled, so a request dropped would leave the window unpainted for good.
TEST_F(QtWindowTest, PaintsHeldBackDuringWorkComeAfterwardsAndTheWindowPaintsOnAfterThem) {
    PaintCounter paints(window->Control(ctl::kAllFilesLabel));
    window->BeginWork();
    for (int i = 0; i < 3; ++i) {
        window->SetText(ctl::kAllFilesLabel, "Alle Dateien (" + std::to_string(i) + ")");
        window->KeepAlive();
    }
    window->SetText(ctl::kAllFilesLabel, "Alle Dateien (3)");
    window->EndWork();
    const int afterWork = paints.count;
    EXPECT_GE(afterWork, 2) << "the first change at once, the last one when the work ends";
    window->SetText(ctl::kAllFilesLabel, "Alle Dateien (4)");
    QCoreApplication::processEvents();
    EXPECT_GT(paints.count, afterWork);
}

}  // namespace
}  // namespace zwf::test

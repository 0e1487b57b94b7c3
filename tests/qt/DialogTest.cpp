// The folder chooser and the message box, answered through their own widgets.
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>

#include "tests/qt/QtFixture.h"
#include "tests/support/TempTree.h"

namespace zwf::test {
namespace {

struct SeenMessage {
    QString caption, text;
    QMessageBox::Icon icon = QMessageBox::Critical;
    QList<QAbstractButton*> buttons;
    QWidget* parent = nullptr;
};

// Reads the open message box and presses its OK button with the mouse.
void ReadAndDismissMessage(SeenMessage& seen) {
    WhenModalAppears([&seen](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        seen = {box->windowTitle(), box->text(), box->icon(), box->buttons(), box->parentWidget()};
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    });
}

TEST_F(QtWindowTest, CreditsAfterCloseShowCaptionExactTextAndOkOnly) {
    window->Close();
    SeenMessage seen;
    ReadAndDismissMessage(seen);
    window->ShowMessage(texts::kCreditsCaption, texts::kCreditsText);

    EXPECT_EQ(seen.caption, QString::fromUtf8("Credits"));
    EXPECT_EQ(seen.text, QString::fromUtf8(".-´¯`- Zwillingsfeger -´¯`-.\n\n`-._.-     by Quarzfuchs    -._.-´"));
    EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
    ASSERT_EQ(seen.buttons.size(), 1);
    EXPECT_EQ(seen.parent, nullptr) << "the main window is gone by then";
}

TEST_F(QtWindowTest, FolderDialogOpensOnTheInitialFolderAndReturnsTheEnteredOne) {
    TempTree tree{{"start/a.txt", "a"}, {"ziel/b.txt", "b"}};
    QString title;
    QString openedOn;
    WhenModalAppears([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        title = dialog->windowTitle();
        openedOn = dialog->directory().absolutePath();
        auto* nameEdit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(nameEdit, nullptr);
        // Pasted rather than typed: the dialog's completer rewrites text typed key by key.
        nameEdit->setText(QString::fromStdString(tree.Path("ziel")));
        QTest::keyClick(nameEdit, Qt::Key_Return);
    });
    const std::string chosen = window->ChooseFolder(texts::kFolderDialogTitle, tree.Path("start") + "/");

    EXPECT_EQ(title, QString::fromUtf8("Pfad hinzufügen..."));
    EXPECT_EQ(openedOn, QString::fromStdString(tree.Path("start")));
    EXPECT_EQ(chosen, tree.Path("ziel"));
}

TEST_F(QtWindowTest, CancelledFolderDialogReturnsNothing) {
    TempTree tree{{"start/a.txt", "a"}};
    WhenModalAppears([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    EXPECT_EQ(window->ChooseFolder(texts::kFolderDialogTitle, tree.Path("start")), "");
}

}  // namespace
}  // namespace zwf::test

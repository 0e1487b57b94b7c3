// The folder chooser and the message box, answered through their own widgets.
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTranslator>
#include <QMessageBox>

#include "platform/qt/QtTranslations.h"
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
    QStringList words;  // Qt's own: the labels and buttons, without their shortcut marks
    WhenModalAppears([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        title = dialog->windowTitle();
        openedOn = dialog->directory().absolutePath();
        for (const char* label : {"lookInLabel", "fileNameLabel", "fileTypeLabel"})
            words << dialog->findChild<QLabel*>(QString::fromLatin1(label))->text();
        for (auto* button : dialog->findChild<QDialogButtonBox*>()->buttons())
            words << button->text();
        words.replaceInStrings(QStringLiteral("&"), QString());
        auto* nameEdit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(nameEdit, nullptr);
        // Pasted rather than typed: the dialog's completer rewrites text typed key by key.
        nameEdit->setText(QString::fromStdString(tree.Path("ziel")));
        QTest::keyClick(nameEdit, Qt::Key_Return);
    });
    const std::string chosen = window->ChooseFolder(texts::kFolderDialogTitle, tree.Path("start") + "/");

    EXPECT_EQ(title, QString::fromUtf8("Pfad hinzufügen..."));
    EXPECT_EQ(words.join(QLatin1Char('|')),
              QString::fromUtf8("Suchen in:|Verzeichnis:|Dateien des Typs:|Auswählen|Abbrechen"));
    EXPECT_EQ(openedOn, QString::fromStdString(tree.Path("start")));
    EXPECT_EQ(chosen, tree.Path("ziel"));
}

// Qt's words follow the system's language where Qt has a translation for it; a machine set to no
// language, or to one Qt does not speak, gets the program's German.
TEST(QtTranslation, SystemLanguageWhereQtHasItElseGerman) {
    const std::pair<const char*, const char*> cases[] = {
        {"C", "de"}, {"de_AT", "de"}, {"fr_FR", "fr"}, {"pt_BR", "pt"}, {"sw_KE", "de"}};
    for (const auto& [locale, expected] : cases) {
        QTranslator translator;
        EXPECT_EQ(qt::LoadQtTranslation(translator, QLocale(QString::fromLatin1(locale))),
                  QString::fromLatin1(expected)) << locale;
        EXPECT_FALSE(translator.isEmpty()) << locale;
    }
}

TEST_F(QtWindowTest, CancelledFolderDialogReturnsNothing) {
    TempTree tree{{"start/a.txt", "a"}};
    WhenModalAppears([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    EXPECT_EQ(window->ChooseFolder(texts::kFolderDialogTitle, tree.Path("start")), "");
}

}  // namespace
}  // namespace zwf::test

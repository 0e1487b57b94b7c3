// The Linux program: the main window on Qt 6 Widgets, run by the application's one event loop.
#include <QApplication>
#include <QWidget>
#include <QWindow>

#include <cstdlib>

#include "app/Layout.h"
#include "app/Run.h"
#include "app/Texts.h"
#include "platform/FileSystem.h"
#include "platform/StepJournal.h"
#include "platform/qt/EndSignals.h"
#include "platform/qt/QtTranslations.h"
#include "platform/qt/QtWindow.h"

namespace {

QtMessageHandler g_defaultMessageHandler = nullptr;

// Without a display Qt cannot open any window and gives up with a fatal message, which would
// abort the process. It is an ordinary failure to start: say so and end with status 1.
void EndOnFatalStartMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    g_defaultMessageHandler(type, context, message);
    if (type == QtFatalMsg)
        std::_Exit(EXIT_FAILURE);
}

}  // namespace

int main(int argc, char* argv[]) {
    g_defaultMessageHandler = qInstallMessageHandler(EndOnFatalStartMessage);
    QApplication application(argc, argv);
    qInstallMessageHandler(g_defaultMessageHandler);
    zwf::qt::InstallQtTranslation(application);

    // The window only closes when the program says so, and the credits still follow it.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setApplicationName(QStringLiteral("zwillingsfeger"));
    QApplication::setDesktopFileName(QStringLiteral("zwillingsfeger"));

    zwf::qt::QtWindow window(zwf::texts::kWindowTitle, zwf::kControls, QSize(zwf::kClientWidth, zwf::kClientHeight));
    if (!window.IsOpen() || window.Widget()->windowHandle() == nullptr)
        return EXIT_FAILURE;  // no window, so no credits either
    zwf::qt::EndOnSignals(window);

    const auto journal = zwf::OpenStepJournal();
    auto fileSystem = zwf::MakeNativeFileSystem();
    fileSystem->SetStepLog(journal.get());
    zwf::RunOptions options;
    options.recoverAbandonedSteps = true;
    return zwf::Run(window, *fileSystem, options);
}

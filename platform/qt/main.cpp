// The Linux program: the main window on Qt 6 Widgets, run by the application's one event loop.
#include <QApplication>
#include <QWidget>
#include <QWindow>

#include "app/Layout.h"
#include "app/Run.h"
#include "app/Texts.h"
#include "platform/FileSystem.h"
#include "platform/qt/QtWindow.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    // The window only closes when the program says so, and the credits still follow it.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setApplicationName(QStringLiteral("zwillingsfeger"));
    QApplication::setDesktopFileName(QStringLiteral("zwillingsfeger"));

    zwf::qt::QtWindow window(zwf::texts::kWindowTitle, zwf::kControls, QSize(zwf::kClientWidth, zwf::kClientHeight));
    if (!window.IsOpen() || window.Widget()->windowHandle() == nullptr)
        return 0;  // no window, so no credits either

    auto fileSystem = zwf::MakeNativeFileSystem();
    return zwf::Run(window, *fileSystem);
}

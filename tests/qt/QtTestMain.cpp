#include <QApplication>
#include <QTranslator>

#include <gtest/gtest.h>

#include "platform/qt/QtTranslations.h"

int main(int argc, char* argv[]) {
    // The tests run without a display unless a caller asks for another platform.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    // Qt's words as the program shows them on a machine set to no language (LANG=C): German.
    QTranslator translator;
    zwf::qt::LoadQtTranslation(translator, QLocale::c());
    QApplication::installTranslator(&translator);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

// Entry of the GUI tests: one QApplication for all of them, offscreen unless told otherwise.

#include <gtest/gtest.h>

#include <QApplication>

#include "gui/qt/QtSpanishTexts.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setApplicationName("Velmaro");
    // As the program does, so that Qt's own dialogs read in Spanish here too.
    velmaro::InstallQtSpanishTexts();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

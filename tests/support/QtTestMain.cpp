// Runs GoogleTest inside a QApplication, headless unless told otherwise.
#include "qt/ProgramSetup.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    // As the program does: German texts, and Qt's real file dialog writes nothing to the home.
    kelvanter::prepareApplication(application);
    return RUN_ALL_TESTS();
}

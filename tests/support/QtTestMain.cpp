// Runs GoogleTest inside a QApplication, headless unless told otherwise.
#include "GermanTranslations.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    kelvanter::installGermanTranslations(application);
    return RUN_ALL_TESTS();
}

// Runs GoogleTest inside a QApplication, headless unless told otherwise.
#include "GermanTranslations.h"
#include "NoTraceSettings.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    kelvanter::installGermanTranslations(application);
    // Tests open Qt's real file dialog; it must not write to the home of whoever runs them.
    kelvanter::keepQtSettingsOutOfHome();
    return RUN_ALL_TESTS();
}

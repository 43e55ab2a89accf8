#include "GermanTranslations.h"
#include "MessageBoxSeam.h"
#include "NoTraceSettings.h"
#include "PlatformServices.h"
#include "frmVesk.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    kelvanter::installGermanTranslations(application);
    kelvanter::keepQtSettingsOutOfHome();

    kelvanter::PlatformFileServices files;
    kelvanter::PlatformClock clock;
    kelvanter::QtMessageBoxes boxes;
    kelvanter::QtFileDialogs dialogs;
    kelvanter::frmVesk window(boxes, dialogs, files, clock);
    window.show();
    return application.exec();
}

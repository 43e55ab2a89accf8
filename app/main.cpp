#include "ProgramSetup.h"
#include "frmVesk.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    kelvanter::prepareApplication(application);
    kelvanter::ProgramServices services;
    kelvanter::frmVesk window(services.boxes, services.dialogs, services.files, services.clock);
    window.show();
    return application.exec();
}

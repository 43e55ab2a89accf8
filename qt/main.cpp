#include "ProgramSetup.h"
#include "frmVesk.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    kelvanter::prepareApplication(application);
    kelvanter::ProgramServices services;
    kelvanter::frmVesk window(services.boxes, services.dialogs, services.files, services.clock, services.traces);
    // "kelvanter FILE", as the file manager's "Open with" starts it; further arguments are ignored.
    // The name's own bytes: as text, a byte that is no character would name another file.
    if (argc > 1)
        window.flow().takeFileFromCommandLine(argv[1]);
    window.show();
    return application.exec();
}

#include "ProgramSetup.h"
#include "frmVesk.h"

#include <QApplication>
#include <QFile>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    kelvanter::prepareApplication(application);
    kelvanter::ProgramServices services;
    kelvanter::frmVesk window(services.boxes, services.dialogs, services.files, services.clock, services.traces);
    // "kelvanter FILE", as the file manager's "Open with" starts it; further arguments are ignored.
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() > 1)
        window.flow().takeFileFromCommandLine(QFile::encodeName(arguments.at(1)).toStdString());
    window.show();
    return application.exec();
}

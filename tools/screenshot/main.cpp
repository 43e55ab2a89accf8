// Renders the main window and the info window offscreen into PNG files, for the README.
#include "ProgramSetup.h"
#include "frmKelvanterInfo.h"
#include "frmVesk.h"

#include <QApplication>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s MAIN.png INFO.png\n", argv[0]);
        return 2;
    }
    kelvanter::prepareApplication(application);
    kelvanter::ProgramServices services;
    kelvanter::frmVesk window(services.boxes, services.dialogs, services.files, services.clock);
    window.show();
    // A run half done, so the picture shows the bar and the times.
    window.Fname->setText("/home/anna/Dokumente/Kontoauszug 2026.pdf");
    window.Command1->setFocus();
    window.showProgressBar(42, kelvanter::kBarColor, 100.0);
    window.setPercentCaption("42 %");
    QApplication::processEvents();
    const bool mainSaved = window.grab().save(QString::fromLocal8Bit(argv[1]));

    window.Command3_Click();
    QApplication::processEvents();
    const bool infoSaved = window.infoWindow()->grab().save(QString::fromLocal8Bit(argv[2]));
    return mainSaved && infoSaved ? 0 : 1;
}

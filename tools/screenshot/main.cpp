// Renders the main window and the info window offscreen into PNG files, for the README.
#include "qt/ProgramSetup.h"
#include "qt/frmFreierSpeicher.h"
#include "qt/frmKelvanterInfo.h"
#include "qt/frmVesk.h"
#include "window/FreeSpaceTexts.h"

#include <QApplication>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s MAIN.png INFO.png FREE-SPACE.png\n", argv[0]);
        return 2;
    }
    kelvanter::prepareApplication(application);
    kelvanter::ProgramServices services;
    kelvanter::frmVesk window(services.boxes, services.dialogs, services.files, services.files, services.process,
                              services.clock);
    window.show();
    // A run half done, so the picture shows the bar and the times.
    window.Fname->setText("/home/anna/Dokumente/Kontoauszug 2026.pdf");
    window.Command1->setFocus();
    window.progress().showProgressBar(42, kelvanter::kBarColor, 100.0);
    window.progress().setPercentCaption("42 %");
    QApplication::processEvents();
    const bool mainSaved = window.grab().save(QString::fromLocal8Bit(argv[1]));

    window.Command3_Click();
    QApplication::processEvents();
    const bool infoSaved = window.infoWindow()->grab().save(QString::fromLocal8Bit(argv[2]));

    // The free-space window a third through its run, on a made-up folder and file system.
    kelvanter::frmFreierSpeicher freeSpace(services.boxes, services.folders, services.files, services.process,
                                           services.clock);
    freeSpace.show();
    freeSpace.setFolderText("/media/anna/USB-STICK");
    freeSpace.setFileSystemCaption(kelvanter::freeSpaceTexts::fileSystemCaption("ext4", 12'884'901'888));
    freeSpace.setRunning(true, false);
    freeSpace.progress().setPercentCaption("33 %");
    freeSpace.progress().showProgressBar(33, kelvanter::kBarColor, 100.0);
    freeSpace.progress().setElapsedCaption("00:01:12");
    freeSpace.progress().setEstimateCaption("00:03:38");
    QApplication::processEvents();
    const bool freeSpaceSaved = freeSpace.grab().save(QString::fromLocal8Bit(argv[3]));
    return mainSaved && infoSaved && freeSpaceSaved ? 0 : 1;
}

#pragma once

#include "desktop/DesktopTraces.h"
#include "platform/PlatformServices.h"
#include "qt/FileDialogSeam.h"
#include "qt/MessageBoxSeam.h"
#include "qt/frmFreierSpeicher.h"

class QCoreApplication;

namespace kelvanter {

// What the real program runs with; the program and its screenshot tool share it.
struct ProgramServices {
    PlatformFileServices files;
    PlatformProcess process;
    PlatformClock clock;
    QtMessageBoxes boxes;
    QtFileDialogs dialogs;
    QtFolderDialogs folders;
    DesktopTraces traces{files, files, process, clock};
};

// German texts from Qt, and no Qt settings written to the user's home.
void prepareApplication(QCoreApplication& application);

} // namespace kelvanter

#pragma once

#include "FileDialogSeam.h"
#include "MessageBoxSeam.h"
#include "PlatformServices.h"

class QCoreApplication;

namespace kelvanter {

// What the real program runs with; the program and its screenshot tool share it.
struct ProgramServices {
    PlatformFileServices files;
    PlatformClock clock;
    QtMessageBoxes boxes;
    QtFileDialogs dialogs;
};

// German texts from Qt, and no Qt settings written to the user's home.
void prepareApplication(QCoreApplication& application);

} // namespace kelvanter

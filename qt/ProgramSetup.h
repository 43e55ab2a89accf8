#pragma once

#include "platform/PlatformServices.h"
#include "qt/FileDialogSeam.h"
#include "qt/MessageBoxSeam.h"
#include "qt/frmFreierSpeicher.h"
#include "window/VeskPort.h"

class QCoreApplication;

namespace kelvanter {

// The freedesktop desktop's thumbnails and recent-files entry of a destroyed file.
class DesktopTraces final : public FileTraces {
public:
    DesktopTraces(FileServices& files, Clock& clock) : files_(files), clock_(clock) {}
    void removeTracesOf(const std::string& path) override;

private:
    FileServices& files_;
    Clock& clock_;
};

// What the real program runs with; the program and its screenshot tool share it.
struct ProgramServices {
    PlatformFileServices files;
    PlatformClock clock;
    QtMessageBoxes boxes;
    QtFileDialogs dialogs;
    QtFolderDialogs folders;
    DesktopTraces traces{files, clock};
};

// German texts from Qt, and no Qt settings written to the user's home.
void prepareApplication(QCoreApplication& application);

} // namespace kelvanter

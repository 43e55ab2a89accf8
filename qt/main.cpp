#include "qt/CommandLineStartup.h"
#include "qt/ProgramSetup.h"
#include "qt/frmFreierSpeicher.h"
#include "qt/frmVesk.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

QtMessageHandler qtsOwnHandler = nullptr;

// Qt ends the program with abort() where no display answers; the user gets a sentence and the
// exit code of a command line that cannot be served instead.
void endWithoutDisplay(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type != QtFatalMsg) {
        qtsOwnHandler(type, context, message);
        return;
    }
    std::fprintf(stderr, "%s\n", kelvanter::commandLine::kNoDisplay);
    std::_Exit(2);
}

} // namespace

int main(int argc, char* argv[]) {
    // --help, --version and an option of no one's answer at once, without a window and without a
    // display; only Qt's own options wait for Qt to take them.
    const kelvanter::commandLine::Request early = kelvanter::readCommandLine(argc, argv);
    if (early.action != kelvanter::commandLine::Action::Refuse || !kelvanter::isQtOption(early.unknownOption))
        if (const auto exitCode = kelvanter::answerWithoutWindow(early, "kelvanter"))
            return *exitCode;
    qtsOwnHandler = qInstallMessageHandler(endWithoutDisplay);
    // Qt sees nothing past "--": a file named "-stylesheet" is a file.
    kelvanter::QtArguments forQt(argc, argv);
    QApplication application(forQt.count, forQt.values());
    qInstallMessageHandler(qtsOwnHandler);
    kelvanter::prepareApplication(application);
    // Read again: Qt has taken its own options (-platform, -style, ...) out of them meanwhile.
    std::vector<char*> left = forQt.rejoined();
    const kelvanter::commandLine::Request request =
        kelvanter::readCommandLine(static_cast<int>(left.size()) - 1, left.data());
    if (const auto exitCode = kelvanter::answerWithoutWindow(request, "kelvanter"))
        return *exitCode;
    kelvanter::ProgramServices services;
    // "kelvanter --free-space [FOLDER]": the free-space window alone, on the folder or the current one.
    if (request.action == kelvanter::commandLine::Action::OpenFreeSpaceWindow) {
        kelvanter::frmFreierSpeicher freeSpace(services.boxes, services.folders, services.files, services.process,
                                               services.clock);
        const auto here = services.files.currentFolder();
        freeSpace.flow().takeFolder(request.file ? *request.file : here.value);
        freeSpace.show();
        freeSpace.Form_Load();
        return application.exec();
    }
    kelvanter::frmVesk window(services.boxes, services.dialogs, services.files, services.files, services.process,
                              services.clock, services.traces);
    // "kelvanter FILE...", as the file manager's "Open with" starts it: the files in the path box.
    if (!request.files.empty())
        window.flow().takeFilesFromCommandLine(request.files);
    window.show();
    window.Form_Load();
    return application.exec();
}

#include "platform/PlatformServices.h"
#include "platform/WideText.h"
#include "win32/HandOver.h"
#include "win32/TopLevelWindow.h"
#include "win32/Win32Seams.h"
#include "win32/frmVesk.h"
#include "window/BoxStyles.h"
#include "window/CommandLine.h"

#include <commctrl.h>
#include <objbase.h>
#include <optional>
#include <shellapi.h>
#include <vector>

namespace {

using namespace kelvanter;

// The arguments after the program's name, each as its exact UTF-16 name carried in WTF-8.
std::vector<std::string> commandLineArguments() {
    std::vector<std::string> arguments;
    int count = 0;
    if (wchar_t** given = ::CommandLineToArgvW(::GetCommandLineW(), &count)) {
        for (int i = 1; i < count; ++i)
            arguments.push_back(win32::narrow(given[i]));
        ::LocalFree(given);
    }
    return arguments;
}

// A program without a console answers --help, --version and a refusal in a box.
std::optional<int> answerInABox(const commandLine::Request& request) {
    win32ui::Win32MessageBoxes boxes;
    const std::string help = commandLine::helpText("kelvanter.exe");
    switch (request.action) {
    case commandLine::Action::ShowHelp:
        boxes.show(nullptr, win32::widen(help), kStyleOkOnly, L"Kelvanter");
        return 0;
    case commandLine::Action::ShowVersion:
        boxes.show(nullptr, win32::widen(commandLine::versionText()), kStyleOkOnly, L"Kelvanter");
        return 0;
    case commandLine::Action::Refuse:
        boxes.show(nullptr, win32::widen(commandLine::refusal(request) + "\n\n" + help), kStyleError, L"Kelvanter");
        return 2;
    case commandLine::Action::OpenFreeSpaceWindow:
    case commandLine::Action::OpenWindow:
        break;
    }
    return std::nullopt;
}

std::vector<std::string> absolutePaths(PlatformFileServices& files, const std::vector<std::string>& paths) {
    std::vector<std::string> absolute;
    for (const std::string& path : paths) {
        const auto made = files.absolutePath(path);
        absolute.push_back(made.ok() ? made.value : path);
    }
    return absolute;
}

int runMainWindow(HINSTANCE instance, const commandLine::Request& request, PlatformFileServices& files,
                  PlatformProcess& process, PlatformClock& clock) {
    win32ui::Win32MessageBoxes boxes;
    win32ui::Win32FileDialogs dialogs;
    // "kelvanter.exe --add FILE", as the Explorer verb starts it once per selected file: a window
    // that gathers takes the file, or this start opens that window.
    std::optional<win32ui::handOver::StartLock> lock;
    if (request.addToOpenWindow) {
        lock.emplace();
        if (win32ui::handOver::toGatheringWindow(absolutePaths(files, request.files)))
            return 0;
    }
    win32ui::frmVesk window(instance, boxes, dialogs, files, files, process, clock);
    // "kelvanter.exe FILE...", as a shortcut or "Senden an" starts it: the files in the path box.
    if (!request.files.empty())
        window.flow().takeFilesFromCommandLine(request.files);
    if (request.addToOpenWindow)
        window.gatherHandedOverFiles();
    window.show();
    lock.reset();
    window.Form_Load();
    MSG message{};
    while (::GetMessageW(&message, nullptr, 0, 0) > 0)
        win32ui::dispatchMessage(message);
    return static_cast<int>(message.wParam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    const commandLine::Request request = commandLine::parse(commandLineArguments());
    if (const auto exitCode = answerInABox(request))
        return *exitCode;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    PlatformFileServices files;
    PlatformProcess process;
    PlatformClock clock;
    win32ui::Win32MessageBoxes boxes;
    // "kelvanter.exe --free-space [FOLDER]": the free-space window alone, until it is closed.
    if (request.action == commandLine::Action::OpenFreeSpaceWindow) {
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); // the folder dialog's new style needs it
        win32ui::Win32FolderDialogs folders;
        win32ui::frmFreierSpeicher freeSpace(instance, boxes, folders, files, process, clock);
        freeSpace.flow().takeFolder(request.file ? *request.file : files.currentFolder().value);
        freeSpace.show();
        freeSpace.Form_Load();
        MSG message{};
        while (!freeSpace.closed() && ::GetMessageW(&message, nullptr, 0, 0) > 0)
            win32ui::dispatchMessage(message);
        return 0;
    }
    return runMainWindow(instance, request, files, process, clock);
}

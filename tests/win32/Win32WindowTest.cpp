// The real Win32 windows, driven by messages as a user's clicks would be, with the boxes and the
// file dialog answered by the test.
#include "platform/WideText.h"
#include "support/CoreFixture.h"
#include "support/ScriptedAnswers.h"
#include "support/WrittenNames.h"
#include "win32/ControlIds.h"
#include "win32/Controls.h"
#include "win32/TopLevelWindow.h"
#include "win32/frmFreierSpeicher.h"
#include "win32/frmKelvanterInfo.h"
#include "win32/frmVesk.h"
#include "window/BoxStyles.h"

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <shlobj.h>

namespace kelvanter::testing {
namespace {

using namespace win32ui;

struct ShownBox {
    std::string text;
    int style = 0;
    std::string title;
};

// Every box answered from the script, as MessageBoxW would answer: IDYES, IDNO, IDOK.
class ScriptedBoxes : public MessageBoxSeam {
public:
    std::vector<ShownBox> shown;
    ScriptedAnswers script;
    std::deque<int>& answers = script.answers;
    int show(HWND, const std::wstring& text, int style, const std::wstring& title) override {
        shown.push_back({win32::narrow(text), style, win32::narrow(title)});
        return script.answer(style);
    }
};

// Answers the dialog as the system's would: the chosen path in the buffer, and its name's offset.
class ScriptedDialogs : public FileDialogSeam {
public:
    struct Request {
        std::wstring title, folder, filter;
        DWORD flags = 0;
    };
    std::deque<std::wstring> choices;
    std::vector<Request> requests;
    bool run(OPENFILENAMEW& record, bool) override {
        // The filter ends at its first double NUL.
        std::size_t end = 0;
        while (record.lpstrFilter[end] != L'\0' || record.lpstrFilter[end + 1] != L'\0')
            ++end;
        requests.push_back({record.lpstrTitle, record.lpstrInitialDir, {record.lpstrFilter, end + 2}, record.Flags});
        const std::wstring choice = choices.empty() ? L"" : choices.front();
        if (!choices.empty())
            choices.pop_front();
        if (choice.empty())
            return false;
        // Several files, given as "folder|name|name": the folder, each name, a NUL after each, one more.
        if (choice.find(L'|') != std::wstring::npos) {
            std::wstring list = choice + L'|';
            std::replace(list.begin(), list.end(), L'|', L'\0');
            std::copy(list.begin(), list.end(), record.lpstrFile);
            record.lpstrFile[list.size()] = L'\0';
            record.nFileOffset = static_cast<WORD>(choice.find(L'|') + 1);
            return true;
        }
        std::copy(choice.begin(), choice.end(), record.lpstrFile);
        record.lpstrFile[choice.size()] = L'\0';
        record.nFileOffset = static_cast<WORD>(choice.rfind(L'\\') + 1);
        return true;
    }
};

void click(HWND button) {
    ::SendMessageW(button, BM_CLICK, 0, 0);
}

class Win32Window : public CoreFixture {
protected:
    Win32Window() { window.show(); }
    void choose(const std::string& path) { ::SetWindowTextW(window.Fname, win32::widen(path).c_str()); }

    ScriptedBoxes boxes;
    ScriptedDialogs dialogs;
    frmVesk window{::GetModuleHandleW(nullptr), boxes, dialogs, files, files, process, clock};
};

TEST_F(Win32Window, StartsInItsDesignedStateWithTheControlsInTabOrder) {
    EXPECT_EQ(textOf(window.window), "Kelvanter");
    EXPECT_EQ(textOf(window.Fname), "");
    EXPECT_FALSE(::IsWindowEnabled(window.Command2));
    EXPECT_TRUE(window.isOptionSelected(0));
    EXPECT_FALSE(window.isOptionSelected(1));
    EXPECT_FALSE(::IsWindowVisible(window.Label3));
    EXPECT_EQ(textOf(window.progress().Label1), "0 %");
    EXPECT_EQ(textOf(window.progress().Label4), "00:00:00");
    EXPECT_EQ(textOf(window.progress().Label5), "00:00:00");
    EXPECT_EQ(window.progress().Picture1->backColor(), kEmptyBarColor);
    EXPECT_FALSE(window.progress().isTimerRunning());
    RECT client{};
    ::GetClientRect(window.window, &client);
    EXPECT_EQ(client.right, 474);
    EXPECT_EQ(client.bottom, 210);
    ::EnableWindow(window.Command2, TRUE);
    const std::vector<HWND> expected = {
        window.Fname,      window.Command1, window.Command2, window.progress().Picture1->handle(),
        window.Option1[0], window.Command3, window.Command4};
    std::vector<HWND> order = {window.Fname};
    for (HWND next = window.Fname; order.size() < expected.size();)
        order.push_back(next = ::GetNextDlgTabItem(window.window, next, FALSE));
    EXPECT_EQ(order, expected);
}

TEST_F(Win32Window, ABrowseFillsThePathBoxWithOneOrSeveralFilesAndACancelEmptiesIt) {
    dialogs.choices = {L"C:\\Daten\\brief.txt", L"", L"C:\\Daten|a.txt|b.txt"};
    click(window.Command1);
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_EQ(dialogs.requests[0].title, L"Datei 1 öffnen");
    EXPECT_EQ(win32::narrow(dialogs.requests[0].folder), files.currentFolder().value);
    EXPECT_EQ(dialogs.requests[0].flags, static_cast<DWORD>(0x1804 | OFN_ALLOWMULTISELECT | OFN_EXPLORER));
    EXPECT_EQ(dialogs.requests[0].filter, std::wstring(L"Alle Dateien (*.*)\0*.*\0\0", 24));
    EXPECT_EQ(textOf(window.Fname), "C:\\Daten\\brief.txt");
    EXPECT_TRUE(::IsWindowEnabled(window.Command2));
    click(window.Command1);
    EXPECT_EQ(textOf(window.Fname), "");
    EXPECT_FALSE(::IsWindowEnabled(window.Command2));
    click(window.Command1);
    EXPECT_EQ(textOf(window.Fname), "2 Dateien: a.txt, b.txt");
    EXPECT_TRUE(::IsWindowEnabled(window.Command2));
}

// The wiring of a run: the option buttons choose the mode, and the run ends in the window's controls.
TEST_F(Win32Window, TheOptionsChooseTheModeAndTheRunEndsInTheWindowsControls) {
    for (const int mode : {0, 1}) {
        const std::string path = writeSample(folder.file(mode ? "intensiv.txt" : "normal.txt"), 20000);
        ::SendMessageW(window.Option1[mode], BM_CLICK, 0, 0);
        choose(path);
        ::EnableWindow(window.Command2, TRUE);
        files.flushes = 0;
        click(window.Command2);
        EXPECT_EQ(files.flushes, mode ? 7 : 1) << "one flush a pass";
        EXPECT_FALSE(entryExists(path)) << mode;
        EXPECT_TRUE(::IsWindowVisible(window.Label3)) << mode;
        EXPECT_EQ(textOf(window.progress().Label1), "100 %");
        EXPECT_EQ(window.progress().Picture1->backColor(), kBarColor);
        EXPECT_EQ(textOf(window.progress().Label5), textOf(window.progress().Label4));
        EXPECT_TRUE(::IsWindowEnabled(window.window));
        EXPECT_FALSE(window.progress().isTimerRunning());
        EXPECT_FALSE(window.progress().isWaitPointer());
        EXPECT_TRUE(window.isOptionSelected(mode)) << "the mode stays as chosen";
    }
}

// A file dropped from the Explorer arrives as WM_DROPFILES; the first one is taken, by its UTF-16 name.
// Dropped files are shown in short, nothing is destroyed before the click, and then each of them
// by its exact UTF-16 name; a file beside them stays whole.
TEST_F(Win32Window, DroppedFilesAreShownAsIfChosenAndNothingIsDestroyedYet) {
    const std::string first = writeSample(folder.file("Отчёт über 日本.txt"), 100);
    const std::string second = writeSample(folder.file("zweite.txt"), 100);
    const std::string bystander = writeSample(folder.file("daneben.txt"), 100);
    std::wstring names;
    for (const std::string& path : {first, second})
        names += fsPath(path).wstring() + L'\0';
    names += L'\0';
    const HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
    auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::copy(names.begin(), names.end(),
              reinterpret_cast<wchar_t*>(reinterpret_cast<char*>(drop) + sizeof(DROPFILES)));
    ::GlobalUnlock(memory);
    ::SendMessageW(window.window, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
    EXPECT_EQ(textOf(window.Fname), "2 Dateien: Отчёт über 日本.txt, zweite.txt");
    // Every exact name in the path box's tooltip.
    std::wstring tip(1024, L'\0');
    TOOLINFOW info{};
    info.cbSize = sizeof info;
    info.hwnd = window.window;
    info.uId = reinterpret_cast<UINT_PTR>(window.Fname);
    info.lpszText = tip.data();
    ::SendMessageW(window.toolTips(), TTM_GETTEXTW, tip.size(), reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(win32::narrow(tip.c_str()), first + "\n" + second);
    EXPECT_TRUE(::IsWindowEnabled(window.Command2));
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(readBytes(first), sampleBytes(100));
    click(window.Command2);
    EXPECT_FALSE(entryExists(first));
    EXPECT_FALSE(entryExists(second));
    EXPECT_EQ(readBytes(bystander), sampleBytes(100));
}

// The command Explorer's verb runs, as the installer registers it (KELVANTER_VERB_COMMAND, set by
// the installer's check), or else the same for the kelvanter.exe built beside the tests.
std::wstring verbCommand() {
    if (const char* installed = std::getenv("KELVANTER_VERB_COMMAND"))
        return win32::widen(installed);
    std::wstring tests(MAX_PATH, L'\0');
    tests.resize(::GetModuleFileNameW(nullptr, tests.data(), MAX_PATH));
    const std::filesystem::path program = std::filesystem::path(tests).parent_path().parent_path() / L"kelvanter.exe";
    return L"\"" + program.wstring() + L"\" --add -- \"%1\"";
}

// Starts the verb for one file as Explorer does, serving this thread's windows until it ends.
DWORD runVerbFor(const std::string& path) {
    std::wstring command = verbCommand();
    command.replace(command.find(L"%1"), 2, win32::widen(path));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
        return ::GetLastError();
    const ULONGLONG deadline = ::GetTickCount64() + 60000;
    while (::MsgWaitForMultipleObjects(1, &started.hProcess, FALSE, 1000, QS_ALLINPUT) != WAIT_OBJECT_0 &&
           ::GetTickCount64() < deadline)
        pumpPendingMessages();
    DWORD exitCode = STILL_ACTIVE;
    ::GetExitCodeProcess(started.hProcess, &exitCode);
    if (exitCode == STILL_ACTIVE)
        ::TerminateProcess(started.hProcess, 1);
    ::CloseHandle(started.hThread);
    ::CloseHandle(started.hProcess);
    return exitCode;
}

// Explorer starts the verb once per selected file: each start hands its file to the gathering
// window and ends, and one confirmation there destroys both.
TEST_F(Win32Window, TheVerbStartedOncePerFileGathersTheFilesIntoOneWindow) {
    const std::string first = writeSample(folder.file("Kündigung.txt"), 100);
    const std::string second = writeSample(folder.file("zweite.txt"), 100);
    const std::string bystander = writeSample(folder.file("daneben.txt"), 100);
    window.gatherHandedOverFiles();
    for (const std::string& path : {first, second})
        EXPECT_EQ(runVerbFor(path), 0u) << path;
    EXPECT_EQ(textOf(window.Fname), "2 Dateien: Kündigung.txt, zweite.txt");
    EXPECT_EQ(readBytes(first), sampleBytes(100));
    boxes.answers = {IDYES};
    click(window.Command2);
    EXPECT_FALSE(entryExists(first));
    EXPECT_FALSE(entryExists(second));
    EXPECT_EQ(readBytes(bystander), sampleBytes(100));
}

// A screen reader names a picture button by its window text, and the path box by the label before it.
TEST_F(Win32Window, PictureButtonsAndThePathBoxHaveNamesForScreenReaders) {
    EXPECT_EQ(textOf(window.Command1), "Durchsuchen");
    EXPECT_EQ(textOf(window.Command3), "Info");
    EXPECT_EQ(textOf(window.Command4), "Beenden");
    EXPECT_EQ(::GetWindow(window.Fname, GW_HWNDPREV), window.Label2);
    EXPECT_EQ(textOf(window.Label2), "Zu zerstörende Datei auswählen:");
}

// The hidden attribute is Windows' own: such a file is not found, and stays whole.
TEST_F(Win32Window, AHiddenFileGetsTheNotFoundBox) {
    const std::string hidden = writeSample(folder.file("versteckt.txt"), 100);
    ::SetFileAttributesW(fsPath(hidden).wstring().c_str(), FILE_ATTRIBUTE_HIDDEN);
    choose(hidden);
    click(window.Command2);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].title, "Kelvanter-Nachricht");
    EXPECT_EQ(boxes.shown[0].style, kStyleOkOnly);
    EXPECT_EQ(readBytes(hidden), sampleBytes(100));
}

TEST_F(Win32Window, ACloseDuringTheRunIsIgnoredAndTheWindowIsDisabledMeanwhile) {
    const std::string path = writeSample(folder.file("lang.txt"), 400000);
    bool disabledDuringRun = true;
    files.beforeOpen = [&](int) {
        disabledDuringRun = disabledDuringRun && !::IsWindowEnabled(window.window) && window.progress().isWaitPointer();
        ::SendMessageW(window.window, WM_CLOSE, 0, 0);
    };
    choose(path);
    click(window.Command2);
    EXPECT_TRUE(disabledDuringRun);
    EXPECT_TRUE(::IsWindow(window.window));
    EXPECT_FALSE(entryExists(path));
    EXPECT_TRUE(::IsWindowEnabled(window.window));
}

TEST_F(Win32Window, TheInfoWindowIsOneAtATimeWithItsTwentyThreeLines) {
    for (int round = 0; round < 2; ++round) {
        click(window.Command3);
        frmKelvanterInfo* info = window.infoWindow();
        ASSERT_NE(info, nullptr);
        click(window.Command3);
        EXPECT_EQ(window.infoWindow(), info) << "no second info window";
        EXPECT_EQ(::SendMessageW(info->List1, LB_GETCOUNT, 0, 0), 23);
        EXPECT_EQ(::SendMessageW(info->List1, LB_GETCURSEL, 0, 0), LB_ERR);
        EXPECT_EQ(textOf(info->window()), "Kelvanter - Info");
        EXPECT_EQ(::GetFocus(), info->Command1);
        click(info->Command1);
        window.progress().processEvents();
        EXPECT_EQ(window.infoWindow(), nullptr) << "Beenden clears the reference";
    }
}

// ---- the free-space window ----

class NoFolders : public win32ui::FolderDialogSeam {
public:
    std::wstring chooseFolder(HWND, const std::wstring&) override { return {}; }
};

class Win32FreeSpace : public CoreFixture {
protected:
    ScriptedBoxes boxes;
    NoFolders folders;
    frmFreierSpeicher window{::GetModuleHandleW(nullptr), boxes, folders, files, process, clock};
};

TEST_F(Win32FreeSpace, ShowsTheFileSystemAndANoStartsNothing) {
    window.show();
    window.flow().takeFolder(utf8Of(folder.path()));
    EXPECT_EQ(textOf(window.window()), "Kelvanter - Freien Speicher überschreiben");
    EXPECT_EQ(textOf(window.Label8).rfind("Dateisystem: ", 0), 0u) << textOf(window.Label8);
    EXPECT_TRUE(::IsWindowEnabled(window.Command2));
    EXPECT_FALSE(::IsWindowEnabled(window.Command5));
    EXPECT_EQ(textOf(window.Command1), "Ordner wählen") << "the picture button's name for screen readers";
    boxes.answers = {IDNO};
    click(window.Command2);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].title, "Kelvanter - Kontrollabfrage");
    EXPECT_EQ(files.dataWritten, 0);
}

// Only on an image of its own, mapped to a drive letter by check_free_space.sh: never on the
// machine's own disk.
TEST_F(Win32FreeSpace, FillsAnImageMappedToADriveAndDeletesTheFill) {
    const char* mapped = std::getenv("KELVANTER_FREE_SPACE_FOLDER");
    if (mapped == nullptr)
        GTEST_SKIP() << "no image is mapped to a drive letter (tests/win32/check_free_space.sh maps one)";
    window.show();
    window.flow().takeFolder(mapped);
    click(window.Command2);
    ASSERT_EQ(boxes.shown.size(), 2u);
    // Every byte reached, but not the names in the journal, which this program cannot read here.
    const std::string& text = boxes.shown[1].text;
    EXPECT_EQ(text.rfind("Der freie Speicher wurde überschrieben, soweit ein Programm ihn erreicht: ", 0), 0u) << text;
    EXPECT_NE(text.find("Nicht erreicht: Namen gelöschter Dateien in den Verwaltungsdaten des Dateisystems."),
              std::string::npos)
        << text;
    EXPECT_GT(files.dataWritten, 20'000'000);
    EXPECT_EQ(textOf(window.progress().Label1), "100 %");
    for (const auto& entry : std::filesystem::directory_iterator(mapped))
        EXPECT_FALSE(isFillFolderName(entry.path().filename().string()));
}

} // namespace
} // namespace kelvanter::testing

#pragma once

#include <string>
#include <windows.h>
// Needs the types of windows.h.
#include <commdlg.h>

namespace kelvanter::win32ui {

// Every message box goes through here, so that tests can answer it. The styles are MessageBoxW's
// own MB_ flags (0, 16, 36, 48, 308) and the answers its IDOK, IDYES, IDNO.
class MessageBoxSeam {
public:
    virtual ~MessageBoxSeam() = default;
    virtual int show(HWND owner, const std::wstring& text, int style, const std::wstring& title) = 0;
};

class Win32MessageBoxes final : public MessageBoxSeam {
public:
    int show(HWND owner, const std::wstring& text, int style, const std::wstring& title) override;
};

// The open and save dialogs, handed the record that StdDialoge filled; true when a file was chosen.
class FileDialogSeam {
public:
    virtual ~FileDialogSeam() = default;
    virtual bool run(OPENFILENAMEW& record, bool save) = 0;
};

class Win32FileDialogs final : public FileDialogSeam {
public:
    bool run(OPENFILENAMEW& record, bool save) override;
};

} // namespace kelvanter::win32ui

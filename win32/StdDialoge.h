#pragma once

#include "win32/Win32Seams.h"

#include <string>
#include <vector>

namespace kelvanter::win32ui {

// The wrapper over the system's open and save dialogs.
class StdDialoge {
public:
    explicit StdDialoge(FileDialogSeam& dialogs) : dialogs_(dialogs) {}

    std::wstring ShowOpenDialog(HWND oOwner, const std::wstring& sTitle, std::wstring& sFolder,
                                const std::wstring& sInitFile, const std::wstring& sFilter,
                                const std::wstring& sDefExt);

    // The same selecting several files of one folder: their names, none when cancelled.
    std::vector<std::wstring> ShowOpenFilesDialog(HWND oOwner, const std::wstring& sTitle, std::wstring& sFolder,
                                                  const std::wstring& sFilter, const std::wstring& sDefExt);

    // The chosen file's name without its folder, which goes to `sFolder` with its final backslash;
    // empty when the dialog was cancelled or failed. iMode: 0 open, 1 save asking before it
    // replaces a file, 2 save.
    std::wstring ShowFileDialog(HWND oOwner, const std::wstring& sTitle, std::wstring& sFolder,
                                const std::wstring& sInitFile, const std::wstring& sFilter, const std::wstring& sDefExt,
                                int iMode);

private:
    FileDialogSeam& dialogs_;
};

// "text|pattern" pairs as the dialog takes them: every "|" a NUL, and two NULs at the end.
std::wstring dialogFilter(const std::wstring& sFilter);

} // namespace kelvanter::win32ui

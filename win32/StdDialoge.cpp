#include "win32/StdDialoge.h"

#include <algorithm>

namespace kelvanter::win32ui {

namespace {

// Room for any path Windows can name, not only MAX_PATH: a deep folder must not fail silently.
constexpr std::size_t kFileBufferChars = 32768;

DWORD flagsFor(int iMode) {
    switch (iMode) {
    case 0:
        return OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    case 1:
        return OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    default:
        return OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    }
}

// The dialog's record over `buffer`, which receives the choice; `filter` as dialogFilter makes it.
OPENFILENAMEW recordFor(HWND oOwner, const std::wstring& sTitle, const std::wstring& sFolder,
                        const std::wstring& filter, const std::wstring& sDefExt, std::wstring& buffer, DWORD flags) {
    OPENFILENAMEW record{};
    record.lStructSize = sizeof record;
    record.hwndOwner = oOwner;
    record.lpstrFilter = filter.c_str();
    record.nFilterIndex = 1;
    record.lpstrFile = buffer.data();
    record.nMaxFile = static_cast<DWORD>(buffer.size());
    record.lpstrInitialDir = sFolder.c_str();
    record.lpstrTitle = sTitle.c_str();
    record.Flags = flags;
    record.lpstrDefExt = sDefExt.c_str();
    return record;
}

} // namespace

std::wstring dialogFilter(const std::wstring& sFilter) {
    std::wstring filter = sFilter + L"||";
    std::replace(filter.begin(), filter.end(), L'|', L'\0');
    return filter;
}

std::wstring StdDialoge::ShowOpenDialog(HWND oOwner, const std::wstring& sTitle, std::wstring& sFolder,
                                        const std::wstring& sInitFile, const std::wstring& sFilter,
                                        const std::wstring& sDefExt) {
    return ShowFileDialog(oOwner, sTitle, sFolder, sInitFile, sFilter, sDefExt, 0);
}

// With several chosen, the buffer holds the folder, then each name, each ended by a NUL and the
// list by a second; with one, the whole path, its name at nFileOffset.
std::vector<std::wstring> StdDialoge::ShowOpenFilesDialog(HWND oOwner, const std::wstring& sTitle,
                                                          std::wstring& sFolder, const std::wstring& sFilter,
                                                          const std::wstring& sDefExt) {
    std::wstring buffer(kFileBufferChars, L'\0');
    const std::wstring filter = dialogFilter(sFilter);
    OPENFILENAMEW record =
        recordFor(oOwner, sTitle, sFolder, filter, sDefExt, buffer, flagsFor(0) | OFN_ALLOWMULTISELECT | OFN_EXPLORER);
    if (!dialogs_.run(record, false))
        return {};
    const std::size_t offset = std::min<std::size_t>(record.nFileOffset, buffer.size() - 1);
    if (offset == 0 || buffer[offset - 1] != L'\0') {
        const std::wstring chosen = buffer.substr(0, buffer.find(L'\0'));
        sFolder = chosen.substr(0, std::min(offset, chosen.size()));
        return {chosen.substr(std::min(offset, chosen.size()))};
    }
    std::vector<std::wstring> names;
    for (std::size_t at = offset; at < buffer.size() && buffer[at] != L'\0';) {
        const std::size_t end = buffer.find(L'\0', at);
        names.push_back(buffer.substr(at, end - at));
        at = end + 1;
    }
    sFolder = buffer.substr(0, offset - 1);
    if (sFolder.empty() || sFolder.back() != L'\\')
        sFolder += L'\\'; // a drive's root comes with its backslash already
    return names;
}

std::wstring StdDialoge::ShowFileDialog(HWND oOwner, const std::wstring& sTitle, std::wstring& sFolder,
                                        const std::wstring& sInitFile, const std::wstring& sFilter,
                                        const std::wstring& sDefExt, int iMode) {
    std::wstring buffer = sInitFile.substr(0, kFileBufferChars - 1);
    buffer.resize(kFileBufferChars, L'\0');
    const std::wstring filter = dialogFilter(sFilter);
    OPENFILENAMEW record = recordFor(oOwner, sTitle, sFolder, filter, sDefExt, buffer, flagsFor(iMode));
    if (!dialogs_.run(record, iMode != 0))
        return {};
    const std::wstring chosen = buffer.substr(0, buffer.find(L'\0'));
    const std::size_t offset = std::min<std::size_t>(record.nFileOffset, chosen.size());
    sFolder = chosen.substr(0, offset);
    return chosen.substr(offset);
}

} // namespace kelvanter::win32ui

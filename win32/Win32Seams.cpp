#include "win32/Win32Seams.h"

#include "platform/WideText.h"
#include "window/BoxStyles.h"

namespace kelvanter::win32ui {

int Win32MessageBoxes::show(HWND owner, const std::wstring& text, int style, const std::wstring& title) {
    const std::wstring caption = title.empty() ? win32::widen(kApplicationTitle) : title;
    return ::MessageBoxW(owner, text.c_str(), caption.c_str(), static_cast<UINT>(style));
}

bool Win32FileDialogs::run(OPENFILENAMEW& record, bool save) {
    return (save ? ::GetSaveFileNameW(&record) : ::GetOpenFileNameW(&record)) != 0;
}

} // namespace kelvanter::win32ui

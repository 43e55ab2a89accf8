#include "platform/win32/WidePath.h"

#include "platform/Wtf8.h"

#include <algorithm>
#include <windows.h>

namespace kelvanter::win32 {

std::wstring widen(const std::string& wtf8) {
    const std::u16string wide = utf16FromWtf8(wtf8);
    return {wide.begin(), wide.end()};
}

std::string narrow(const std::wstring& utf16) {
    return wtf8FromUtf16({utf16.begin(), utf16.end()});
}

std::wstring widePath(const std::string& utf8) {
    std::wstring wide = widen(utf8);
    if (wide.size() < MAX_PATH || wide.rfind(L"\\\\?\\", 0) == 0)
        return wide;
    std::replace(wide.begin(), wide.end(), L'/', L'\\');
    const bool drive = wide.size() > 2 && wide[1] == L':' && wide[2] == L'\\';
    if (drive)
        return L"\\\\?\\" + wide;
    if (wide.rfind(L"\\\\", 0) == 0)
        return L"\\\\?\\UNC\\" + wide.substr(2);
    return wide;
}

} // namespace kelvanter::win32

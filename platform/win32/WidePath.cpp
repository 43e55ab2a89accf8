#include "WidePath.h"

#include <algorithm>
#include <windows.h>

namespace kelvanter::win32 {

std::wstring widen(const std::string& utf8) {
    if (utf8.empty())
        return {};
    const int size = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
    return wide;
}

std::string narrow(const std::wstring& utf16) {
    if (utf16.empty())
        return {};
    const int size =
        ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), text.data(), size, nullptr,
                          nullptr);
    return text;
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

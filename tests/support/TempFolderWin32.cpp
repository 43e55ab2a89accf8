// The temporary folder on Windows, where read-only files would keep it from being removed.
#include "support/TempFolder.h"

#include "platform/Wtf8.h"

#include <random>
#include <stdexcept>
#include <windows.h>

namespace kelvanter::testing {

// The core's paths are WTF-8 here, so that names with an unpaired surrogate come through too.
std::filesystem::path fsPath(const std::string& wtf8) {
    const std::u16string wide = utf16FromWtf8(wtf8);
    return std::filesystem::path(std::wstring(wide.begin(), wide.end()));
}

std::string utf8Of(const std::filesystem::path& path) {
    const std::wstring wide = path.wstring();
    return wtf8FromUtf16(std::u16string(wide.begin(), wide.end()));
}

std::string undecodableCharacter() {
    return "\xED\xA0\x80";
}

TempFolder::TempFolder(const std::string& base) {
    const std::filesystem::path parent = base.empty() ? std::filesystem::temp_directory_path() : base;
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto candidate = parent / ("kelvanter-test-" + std::to_string(random()));
        if (std::filesystem::create_directory(candidate)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("no temporary folder in " + parent.string());
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::recursive_directory_iterator entry(path_, ignored), end;
    for (; entry != end && !ignored; entry.increment(ignored))
        ::SetFileAttributesW(entry->path().wstring().c_str(), FILE_ATTRIBUTE_NORMAL);
    std::filesystem::remove_all(path_, ignored);
}

bool setInodeFlag(const std::string&, int, bool) {
    return false;
}

} // namespace kelvanter::testing

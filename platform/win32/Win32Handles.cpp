#include "platform/win32/Win32Handles.h"

#include "platform/win32/WidePath.h"
#include "platform/win32/Win32Errors.h"

namespace kelvanter::win32 {

FileIdentity identityOf(const BY_HANDLE_FILE_INFORMATION& info) {
    return {info.dwVolumeSerialNumber, (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

EntryKind kindOf(DWORD attributes) {
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return EntryKind::Symlink;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return EntryKind::Directory;
    if (attributes & FILE_ATTRIBUTE_DEVICE)
        return EntryKind::Other;
    return EntryKind::Regular;
}

SysResult<HANDLE> openChecked(const std::string& path, DWORD access, DWORD share, DWORD flags,
                              const std::function<int(HANDLE, const BY_HANDLE_FILE_INFORMATION&)>& refusalOf) {
    const HANDLE handle = ::CreateFileW(widePath(path).c_str(), access, share, nullptr, OPEN_EXISTING,
                                        flags | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return {nullptr, lastErrno()};
    BY_HANDLE_FILE_INFORMATION info{};
    const int refusal = ::GetFileInformationByHandle(handle, &info) ? refusalOf(handle, info) : lastErrno();
    if (refusal != 0) {
        ::CloseHandle(handle);
        return {nullptr, refusal};
    }
    return {handle, 0};
}

SysResult<HANDLE> openVerified(const std::string& path, DWORD access, DWORD share, DWORD flags,
                               const FileIdentity* expected) {
    return openChecked(path, access, share, flags, [&](HANDLE handle, const BY_HANDLE_FILE_INFORMATION& info) {
        if (::GetFileType(handle) != FILE_TYPE_DISK || kindOf(info.dwFileAttributes) != EntryKind::Regular)
            return kNotARegularFile;
        return expected != nullptr && identityOf(info) != *expected ? kFileReplaced : 0;
    });
}

SysResult<HANDLE> openEntry(const std::string& path) {
    const HANDLE handle = ::CreateFileW(widePath(path).c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return {nullptr, lastErrno()};
    return {handle, 0};
}

} // namespace kelvanter::win32

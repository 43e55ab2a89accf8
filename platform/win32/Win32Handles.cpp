#include "platform/win32/Win32Handles.h"

#include "platform/win32/WidePath.h"
#include "platform/win32/Win32Errors.h"

#include <winternl.h>

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

int regularFileRefusal(HANDLE handle, const BY_HANDLE_FILE_INFORMATION& info, const FileIdentity* expected) {
    if (::GetFileType(handle) != FILE_TYPE_DISK || kindOf(info.dwFileAttributes) != EntryKind::Regular)
        return kNotARegularFile;
    return expected != nullptr && identityOf(info) != *expected ? kFileReplaced : 0;
}

SysResult<HANDLE> openVerified(const std::string& path, DWORD access, DWORD share, DWORD flags,
                               const FileIdentity* expected) {
    return openChecked(path, access, share, flags, [&](HANDLE handle, const BY_HANDLE_FILE_INFORMATION& info) {
        return regularFileRefusal(handle, info, expected);
    });
}

SysResult<HANDLE> openCheckedAt(HANDLE folder, const std::string& name, DWORD access, DWORD share, ULONG options,
                                const std::function<int(HANDLE, const BY_HANDLE_FILE_INFORMATION&)>& refusalOf) {
    // A name, not a path: nothing beneath or above the held folder is reached by it.
    if (name.empty() || name.find_first_of("\\/") != std::string::npos)
        return {nullptr, ENOENT};
    std::wstring wide = widen(name);
    UNICODE_STRING object{};
    object.Buffer = wide.data();
    object.Length = static_cast<USHORT>(wide.size() * sizeof(wchar_t));
    object.MaximumLength = object.Length;
    OBJECT_ATTRIBUTES attributes{};
    InitializeObjectAttributes(&attributes, &object, OBJ_CASE_INSENSITIVE, folder, nullptr);
    IO_STATUS_BLOCK io{};
    HANDLE handle = nullptr;
    const NTSTATUS status =
        ::NtCreateFile(&handle, access | SYNCHRONIZE, &attributes, &io, nullptr, 0, share, FILE_OPEN,
                       options | FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_REPARSE_POINT, nullptr, 0);
    if (status < 0)
        return {nullptr, errnoFor(::RtlNtStatusToDosError(status))};
    BY_HANDLE_FILE_INFORMATION info{};
    const int refusal = ::GetFileInformationByHandle(handle, &info) ? refusalOf(handle, info) : lastErrno();
    if (refusal != 0) {
        ::CloseHandle(handle);
        return {nullptr, refusal};
    }
    return {handle, 0};
}

} // namespace kelvanter::win32

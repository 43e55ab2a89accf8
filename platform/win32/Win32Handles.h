#pragma once

#include "platform/FileServices.h"

#include <functional>
#include <string>
#include <windows.h>

namespace kelvanter::win32 {

// Opens that leave every other open free, as the lookups and the pin must.
inline constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The position of a read or write at `offset`, for a handle opened without FILE_FLAG_OVERLAPPED.
inline OVERLAPPED overlappedAt(std::int64_t offset) {
    OVERLAPPED position{};
    position.Offset = static_cast<DWORD>(offset & 0xFFFFFFFF);
    position.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(offset) >> 32);
    return position;
}

// Kernel handles fit in 32 bits, even on 64-bit Windows, so the core's int handle can carry them.
inline HANDLE toHandle(FileHandle handle) {
    return reinterpret_cast<HANDLE>(static_cast<INT_PTR>(handle));
}
inline FileHandle fromHandle(HANDLE handle) {
    return static_cast<FileHandle>(reinterpret_cast<INT_PTR>(handle));
}

FileIdentity identityOf(const BY_HANDLE_FILE_INFORMATION& info);
EntryKind kindOf(DWORD attributes);

// Opens the path itself, never what a link, junction or mount point leads to, and asks `refusalOf`
// of the open handle: 0 to keep it, else the error it is closed with.
SysResult<HANDLE> openChecked(const std::string& path, DWORD access, DWORD share, DWORD flags,
                              const std::function<int(HANDLE, const BY_HANDLE_FILE_INFORMATION&)>& refusalOf);

// Opens the path itself, never what a link, junction or mount point leads to, and checks on the
// handle that it is a regular file on disk and, when `expected` is given, that very file.
// Refusals: kNotARegularFile, kFileReplaced; otherwise the errno of the open.
SysResult<HANDLE> openVerified(const std::string& path, DWORD access, DWORD share, DWORD flags,
                               const FileIdentity* expected);

// Opens the name relative to the held folder's handle, never by a path that another program could
// have changed since, and never what a link, junction or mount point leads to. `options` are the
// NT create options (FILE_WRITE_THROUGH, FILE_NO_INTERMEDIATE_BUFFERING); `refusalOf` as above.
SysResult<HANDLE> openCheckedAt(HANDLE folder, const std::string& name, DWORD access, DWORD share, ULONG options,
                                const std::function<int(HANDLE, const BY_HANDLE_FILE_INFORMATION&)>& refusalOf);

// The refusal of a handle that is no regular file on disk, or not that very file.
int regularFileRefusal(HANDLE handle, const BY_HANDLE_FILE_INFORMATION& info, const FileIdentity* expected);

} // namespace kelvanter::win32

// What overwriting a file system's free space needs on Windows: the volume's space, the lock of one
// fill per volume, and writes of the fill's data.
#include "platform/win32/Win32FileServices.h"

#include "platform/DiskNames.h"

#include "platform/win32/WidePath.h"
#include "platform/win32/Win32Errors.h"
#include "platform/win32/Win32Handles.h"

#include <algorithm>
#include <cctype>

namespace kelvanter {

using win32::fromHandle;
using win32::lastErrno;
using win32::toHandle;
using win32::widePath;

SysResult<FileSystemSpace> Win32FileServices::spaceOf(const std::string& path) {
    ULARGE_INTEGER available{}, total{}, free{};
    if (!::GetDiskFreeSpaceExW(widePath(path).c_str(), &available, &total, &free))
        return {{}, lastErrno()};
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
    std::int64_t block = 4096;
    wchar_t root[MAX_PATH + 1] = {};
    if (::GetVolumePathNameW(widePath(path).c_str(), root, MAX_PATH) &&
        ::GetDiskFreeSpaceW(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters))
        block = static_cast<std::int64_t>(sectorsPerCluster) * bytesPerSector;
    wchar_t name[MAX_PATH + 1] = {};
    FileSystemSpace found;
    if (root[0] != L'\0' && ::GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, nullptr, name, MAX_PATH))
        found.fileSystem = win32::narrow(name);
    found.blockSize = block;
    found.total = static_cast<std::int64_t>(total.QuadPart);
    found.free = static_cast<std::int64_t>(free.QuadPart);
    found.available = static_cast<std::int64_t>(available.QuadPart);
    return {found, 0};
}

// Flushing a whole volume needs administrator rights on Windows: each fill file is flushed instead.
SysStatus Win32FileServices::flushFileSystem(const std::string&) {
    return {};
}

SysResult<std::string> win32::programStateFolder() {
    wchar_t local[MAX_PATH + 1] = {};
    const DWORD length = ::GetEnvironmentVariableW(L"LOCALAPPDATA", local, MAX_PATH);
    if (length == 0 || length > MAX_PATH)
        return {{}, ENOENT};
    const std::string folder = win32::narrow(local) + "\\" + diskNames::kWindowsStateFolder;
    if (!::CreateDirectoryW(widePath(folder).c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
        return {{}, lastErrno()};
    return {folder, 0};
}

SysResult<std::string> Win32Process::stateFolder() {
    return win32::programStateFolder();
}

SysResult<FileHandle> Win32FileServices::lockFileSystemOf(const std::string& path) {
    wchar_t root[MAX_PATH + 1] = {};
    if (!::GetVolumePathNameW(widePath(path).c_str(), root, MAX_PATH))
        return {-1, lastErrno()};
    const auto state = win32::programStateFolder();
    if (!state.ok())
        return {-1, state.error};
    // A lock file of the volume's, named after its root, that no one else may open, gone with its handle.
    std::string volume;
    for (const char c : win32::narrow(root))
        volume += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    const std::string lockPath = state.value + "\\" + diskNames::kVolumeLockPrefix + volume + diskNames::kLockSuffix;
    const HANDLE lock = ::CreateFileW(widePath(lockPath).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (lock == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        return {-1, error == ERROR_SHARING_VIOLATION ? EBUSY : win32::errnoFor(error)};
    }
    return {fromHandle(lock), 0};
}

SysResult<std::int64_t> Win32FileServices::writeData(FileHandle handle, const void* data, std::size_t size,
                                                     std::int64_t offset) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    std::size_t done = 0;
    while (done < size) {
        OVERLAPPED position = win32::overlappedAt(offset + static_cast<std::int64_t>(done));
        DWORD written = 0;
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(size - done, 1u << 30));
        if (!::WriteFile(toHandle(handle), bytes + done, chunk, &written, &position))
            return {static_cast<std::int64_t>(done), lastErrno()};
        if (written == 0)
            return {static_cast<std::int64_t>(done), ENOSPC};
        done += written;
    }
    return {static_cast<std::int64_t>(done), 0};
}

} // namespace kelvanter

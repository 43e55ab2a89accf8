#include "platform/win32/Win32FileServices.h"

#include "platform/win32/WidePath.h"
#include "platform/win32/Win32Errors.h"
#include "platform/win32/Win32Handles.h"

#include <algorithm>
#include <cstring>

namespace kelvanter {

using win32::fromHandle;
using win32::identityOf;
using win32::kShareAll;
using win32::lastErrno;
using win32::openEntry;
using win32::openVerified;
using win32::toHandle;
using win32::widePath;

namespace {

// One WriteFile carries up to this many bytes of repeated blocks.
constexpr std::size_t kRepeatedBytes = 1u << 20;

SysStatus lastError() {
    return {lastErrno()};
}

// Paths are taken literally: no wildcards, and no "name:stream" (a colon only after a drive letter).
bool isLiteralFilePath(const std::string& path) {
    const std::string rest = path.rfind("\\\\?\\", 0) == 0 ? path.substr(4) : path;
    if (rest.empty() || rest.find_first_of("*?") != std::string::npos)
        return false;
    const auto colon = rest.find(':');
    return colon == std::string::npos || (colon == 1 && rest.find(':', 2) == std::string::npos);
}

} // namespace

Win32FileServices::Win32FileServices() {
    repeated_ =
        static_cast<unsigned char*>(::VirtualAlloc(nullptr, kRepeatedBytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
}

Win32FileServices::~Win32FileServices() {
    if (repeated_ != nullptr)
        ::VirtualFree(repeated_, 0, MEM_RELEASE);
}

SysResult<EntryStatus> Win32FileServices::inspect(const std::string& path) {
    if (!isLiteralFilePath(path))
        return {{}, ENOENT};
    WIN32_FIND_DATAW found{};
    const HANDLE search =
        ::FindFirstFileExW(widePath(path).c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE)
        return {{}, lastErrno()};
    ::FindClose(search);
    const auto entry = openEntry(path);
    if (!entry.ok())
        return {{}, entry.error};
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = ::GetFileInformationByHandle(entry.value, &info) != 0;
    const int error = known ? 0 : lastErrno();
    ::CloseHandle(entry.value);
    if (!known)
        return {{}, error};
    EntryStatus status;
    status.kind = win32::kindOf(found.dwFileAttributes);
    status.identity = identityOf(info);
    status.size =
        static_cast<std::int64_t>((static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow);
    status.attributes = found.dwFileAttributes == 0 ? kAttrNormal : found.dwFileAttributes;
    return {status, 0};
}

SysResult<PinnedEntry> Win32FileServices::pin(const std::string& path) {
    if (!isLiteralFilePath(path))
        return {{}, ENOENT};
    const auto entry = openEntry(path);
    if (!entry.ok())
        return {{}, entry.error};
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(entry.value, &info)) {
        const int error = lastErrno();
        ::CloseHandle(entry.value);
        return {{}, error};
    }
    const EntryKind kind =
        ::GetFileType(entry.value) == FILE_TYPE_DISK ? win32::kindOf(info.dwFileAttributes) : EntryKind::Other;
    return {{fromHandle(entry.value), kind, identityOf(info)}, 0};
}

void Win32FileServices::unpin(FileHandle handle) {
    ::CloseHandle(toHandle(handle));
}

SysResult<FileHandle> Win32FileServices::openForOverwrite(const std::string& path, const FileIdentity& expected,
                                                          WriteRoute route) {
    const DWORD flags = route == WriteRoute::Direct ? FILE_FLAG_NO_BUFFERING | FILE_FLAG_WRITE_THROUGH : 0;
    const auto opened = openVerified(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, flags, &expected);
    if (!opened.ok())
        return {-1, opened.error};
    return {fromHandle(opened.value), 0};
}

SysResult<std::int64_t> Win32FileServices::lengthOf(FileHandle handle) {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(toHandle(handle), &size))
        return {0, lastErrno()};
    return {size.QuadPart, 0};
}

SysResult<std::int64_t> Win32FileServices::writeBlocks(FileHandle handle, const void* block, std::size_t blockSize,
                                                       std::int64_t count, std::int64_t offset) {
    if (repeated_ == nullptr || blockSize == 0 || blockSize > kRepeatedBytes)
        return {0, ENOMEM};
    const std::size_t copies = kRepeatedBytes / blockSize;
    if (std::memcmp(repeated_, block, blockSize) != 0 ||
        std::memcmp(repeated_ + (copies - 1) * blockSize, block, blockSize) != 0) {
        for (std::size_t copy = 0; copy < copies; ++copy)
            std::memcpy(repeated_ + copy * blockSize, block, blockSize);
    }
    const auto size = static_cast<std::int64_t>(blockSize);
    const std::int64_t total = count * size;
    const auto usable = static_cast<std::int64_t>(copies * blockSize);
    std::int64_t done = 0;
    while (done < total) {
        // Starts inside the block the last write stopped in, then whole blocks.
        const std::int64_t into = done % size;
        const auto length = static_cast<DWORD>(std::min(total - done, usable - into));
        OVERLAPPED position = win32::overlappedAt(offset + done);
        DWORD written = 0;
        if (!::WriteFile(toHandle(handle), repeated_ + into, length, &written, &position))
            return {done, lastErrno()};
        if (written == 0)
            return {done, EIO};
        done += written;
    }
    return {done, 0};
}

SysStatus Win32FileServices::flushData(FileHandle handle) {
    if (!::FlushFileBuffers(toHandle(handle)))
        return lastError();
    return {};
}

SysStatus Win32FileServices::close(FileHandle handle) {
    if (!::CloseHandle(toHandle(handle)))
        return lastError();
    return {};
}

SysStatus Win32FileServices::truncateToZero(const std::string& path, const FileIdentity& expected) {
    // Opened as it is, checked, and only then cut: a file swapped in under the path is never emptied.
    auto opened = openVerified(path, GENERIC_WRITE, FILE_SHARE_WRITE, FILE_FLAG_WRITE_THROUGH | FILE_FLAG_NO_BUFFERING,
                               &expected);
    if (opened.error == EINVAL)
        opened = openVerified(path, GENERIC_WRITE, FILE_SHARE_WRITE, FILE_FLAG_WRITE_THROUGH, &expected);
    if (!opened.ok())
        return {opened.error};
    FILE_END_OF_FILE_INFO end{};
    SysStatus status;
    if (!::SetFileInformationByHandle(opened.value, FileEndOfFileInfo, &end, sizeof end) ||
        !::FlushFileBuffers(opened.value))
        status = lastError();
    if (!::CloseHandle(opened.value) && status.ok())
        status = lastError();
    return status;
}

SysResult<std::vector<NamedStream>> Win32FileServices::namedStreamsOf(const std::string& path,
                                                                      const FileIdentity& expected) {
    const auto opened = openVerified(path, 0, kShareAll, 0, &expected);
    if (!opened.ok())
        return {{}, opened.error};
    ::CloseHandle(opened.value);
    std::vector<NamedStream> streams;
    WIN32_FIND_STREAM_DATA found{};
    const HANDLE search = ::FindFirstStreamW(widePath(path).c_str(), FindStreamInfoStandard, &found, 0);
    if (search == INVALID_HANDLE_VALUE) {
        // ERROR_HANDLE_EOF: no stream at all; file systems without streams say they cannot list them.
        const DWORD error = ::GetLastError();
        return {{}, error == ERROR_HANDLE_EOF || error == ERROR_INVALID_PARAMETER ? 0 : win32::errnoFor(error)};
    }
    do {
        const std::wstring name = found.cStreamName; // ":name:$DATA", or "::$DATA" for the main stream
        const auto type = name.rfind(L":$DATA");
        if (name != L"::$DATA" && type != std::wstring::npos && type > 1)
            streams.push_back({path + win32::narrow(name.substr(0, type)), found.StreamSize.QuadPart});
    } while (::FindNextStreamW(search, &found));
    ::FindClose(search);
    return {streams, 0};
}

SysStatus Win32FileServices::addOwnerWrite(const std::string& path) {
    const auto status = inspect(path);
    if (!status.ok())
        return {status.error};
    if (status.value.kind != EntryKind::Regular)
        return {kNotARegularFile};
    const DWORD attributes = status.value.attributes & ~(kAttrReadOnly | kAttrNormal);
    if (!::SetFileAttributesW(widePath(path).c_str(), attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes))
        return lastError();
    return {};
}

SysStatus Win32FileServices::resetAttributes(const std::string& path) {
    const auto status = inspect(path);
    if (!status.ok())
        return {status.error};
    if (status.value.kind != EntryKind::Regular)
        return {kNotARegularFile};
    if (!::SetFileAttributesW(widePath(path).c_str(), FILE_ATTRIBUTE_NORMAL))
        return lastError();
    return {};
}

SysStatus Win32FileServices::renameNoReplace(const std::string& from, const std::string& to) {
    // Without MOVEFILE_REPLACE_EXISTING an existing name is never replaced; write-through commits the move.
    if (!::MoveFileExW(widePath(from).c_str(), widePath(to).c_str(), MOVEFILE_WRITE_THROUGH))
        return lastError();
    return {};
}

SysStatus Win32FileServices::removeFile(const std::string& path) {
    if (!::DeleteFileW(widePath(path).c_str()))
        return lastError();
    return {};
}

SysResult<std::string> Win32FileServices::currentFolder() {
    const DWORD size = ::GetCurrentDirectoryW(0, nullptr);
    std::wstring folder(size, L'\0');
    const DWORD length = ::GetCurrentDirectoryW(size, folder.data());
    if (length == 0 || length >= size)
        return {{}, lastErrno()};
    folder.resize(length);
    return {win32::narrow(folder), 0};
}

SysResult<std::string> Win32FileServices::absolutePath(const std::string& path) {
    const std::wstring wide = win32::widen(path);
    const DWORD size = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    std::wstring full(size, L'\0');
    const DWORD length = size == 0 ? 0 : ::GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size)
        return {{}, lastErrno()};
    full.resize(length);
    return {win32::narrow(full), 0};
}

SysResult<std::vector<std::string>> Win32FileServices::listFolder(const std::string& path) {
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW(widePath(path + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return {{}, lastErrno()};
    std::vector<std::string> names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..")
            names.push_back(win32::narrow(name));
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return {names, 0};
}

SysResult<std::string> Win32FileServices::readSmallFile(const std::string& path, std::size_t limit) {
    const auto opened = openVerified(path, GENERIC_READ, FILE_SHARE_READ, 0, nullptr);
    if (!opened.ok())
        return {{}, opened.error};
    std::string contents;
    char buffer[65536];
    int error = 0;
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(opened.value, buffer, sizeof buffer, &got, nullptr)) {
            error = lastErrno();
            break;
        }
        if (got == 0)
            break;
        contents.append(buffer, got);
        if (contents.size() > limit) {
            error = EFBIG;
            break;
        }
    }
    ::CloseHandle(opened.value);
    return {error == 0 ? contents : std::string(), error};
}

SysStatus Win32FileServices::replaceFileAtomically(const std::string& path, const std::string& contents) {
    const std::string temporary = path + ".neu";
    const HANDLE file = ::CreateFileW(widePath(temporary).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return lastError();
    DWORD written = 0;
    SysStatus status;
    if (!::WriteFile(file, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr) ||
        written != contents.size() || !::FlushFileBuffers(file))
        status = lastError();
    ::CloseHandle(file);
    if (status.ok() && !::MoveFileExW(widePath(temporary).c_str(), widePath(path).c_str(),
                                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        status = lastError();
    if (!status.ok())
        ::DeleteFileW(widePath(temporary).c_str());
    return status;
}

} // namespace kelvanter

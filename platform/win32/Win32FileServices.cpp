#include "platform/win32/Win32FileServices.h"

#include "platform/DiskNames.h"

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
using win32::openVerified;
using win32::toHandle;
using win32::widePath;

namespace {

// One WriteFile carries up to this many bytes of repeated blocks.
constexpr std::size_t kRepeatedBytes = 1u << 20;

SysStatus lastError() {
    return {lastErrno()};
}

// Names are taken literally: no wildcards, and no "name:stream".
bool isLiteralName(const std::string& name) {
    return !name.empty() && name.find_first_of("*?:") == std::string::npos;
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

namespace {

// The attribute word, the length and the names of an open file.
SysResult<EntryStatus> statusOfHandle(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file, &info))
        return {{}, lastErrno()};
    EntryStatus status;
    status.kind = ::GetFileType(file) == FILE_TYPE_DISK ? win32::kindOf(info.dwFileAttributes) : EntryKind::Other;
    status.identity = identityOf(info);
    status.size = static_cast<std::int64_t>((static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
    status.attributes = info.dwFileAttributes == 0 ? kAttrNormal : info.dwFileAttributes;
    status.links = info.nNumberOfLinks;
    FILE_STANDARD_INFO standard{};
    // A file marked for deletion keeps its name until its last handle closes, but has none to keep.
    if (::GetFileInformationByHandleEx(file, FileStandardInfo, &standard, sizeof standard) && standard.DeletePending)
        status.links = 0;
    return {status, 0};
}

// A new file, never an existing one, with these contents, flushed; what is left of it on a failure
// is the caller's.
SysStatus writeNewFile(const std::wstring& path, const std::string& contents) {
    const HANDLE file =
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return lastError();
    DWORD written = 0;
    SysStatus status;
    if (!::WriteFile(file, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr) ||
        written != contents.size() || !::FlushFileBuffers(file))
        status = lastError();
    ::CloseHandle(file);
    return status;
}

SysStatus setAttributes(HANDLE file, DWORD attributes) {
    FILE_BASIC_INFO basic{};
    if (!::GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic))
        return lastError();
    // 0 would mean "leave them": no attribute at all is FILE_ATTRIBUTE_NORMAL.
    basic.FileAttributes = attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
    if (!::SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic))
        return lastError();
    return {};
}

} // namespace

SysResult<PinnedEntry> Win32FileServices::pinAt(FileHandle folder, const std::string& name) {
    if (!isLiteralName(name))
        return {{}, ENOENT};
    const auto anything = [](HANDLE, const BY_HANDLE_FILE_INFORMATION&) { return 0; };
    // The attributes' write access lets the write protection be lifted on the held file itself.
    auto held = win32::openCheckedAt(toHandle(folder), name, FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, kShareAll, 0,
                                     anything);
    if (!held.ok() && held.error == EACCES)
        held = win32::openCheckedAt(toHandle(folder), name, FILE_READ_ATTRIBUTES, kShareAll, 0, anything);
    if (!held.ok())
        return {{}, held.error};
    const auto status = statusOfHandle(held.value);
    if (!status.ok() || status.value.kind != EntryKind::Regular) {
        ::CloseHandle(held.value);
        return {{kNoHandle, status.value}, status.ok() ? kNotARegularFile : status.error};
    }
    return {{fromHandle(held.value), status.value}, 0};
}

void Win32FileServices::unpin(FileHandle pinned) {
    ::CloseHandle(toHandle(pinned));
}

SysResult<EntryStatus> Win32FileServices::statusOf(FileHandle pinned) {
    return statusOfHandle(toHandle(pinned));
}

SysStatus Win32FileServices::addOwnerWrite(FileHandle pinned) {
    const auto status = statusOfHandle(toHandle(pinned));
    if (!status.ok())
        return {status.error};
    return setAttributes(toHandle(pinned), status.value.attributes & ~(kAttrReadOnly | kAttrNormal));
}

SysStatus Win32FileServices::resetAttributes(FileHandle pinned) {
    return setAttributes(toHandle(pinned), FILE_ATTRIBUTE_NORMAL);
}

SysResult<OverwriteHandle> Win32FileServices::openForOverwriteAt(FileHandle folder, const std::string& name,
                                                                 const FileIdentity& expected) {
    // Others may read meanwhile, but not write.
    const auto opened = win32::openCheckedAt(toHandle(folder), name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                             FILE_NO_INTERMEDIATE_BUFFERING | FILE_WRITE_THROUGH,
                                             [&](HANDLE handle, const BY_HANDLE_FILE_INFORMATION& info) {
                                                 return win32::regularFileRefusal(handle, info, &expected);
                                             });
    if (!opened.ok())
        return {{}, opened.error};
    direct_.insert(fromHandle(opened.value));
    return {{fromHandle(opened.value), WriteRoute::Direct}, 0};
}

SysResult<FileHandle> Win32FileServices::writeThroughCache(FileHandle handle) {
    // A handle's buffering cannot change, and this one shares no writing: a handle to the file's
    // attributes alone holds it while this one is closed and it is opened anew through the cache.
    const HANDLE anchor = ::ReOpenFile(toHandle(handle), FILE_READ_ATTRIBUTES, kShareAll, 0);
    if (anchor == INVALID_HANDLE_VALUE)
        return {handle, lastErrno()};
    close(handle);
    const HANDLE opened = ::ReOpenFile(anchor, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, 0);
    const int error = opened == INVALID_HANDLE_VALUE ? lastErrno() : 0;
    ::CloseHandle(anchor);
    if (error != 0)
        return {kNoHandle, error};
    return {fromHandle(opened), 0};
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
        if (!::WriteFile(toHandle(handle), repeated_ + into, length, &written, &position)) {
            const int error = lastErrno();
            return {done, error == EINVAL && direct_.count(handle) != 0 ? kDirectIoRefused : error};
        }
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
    if (const auto lock = locks_.find(handle); lock != locks_.end()) {
        ::CloseHandle(toHandle(lock->second));
        locks_.erase(lock);
    }
    folders_.erase(handle);
    direct_.erase(handle);
    if (!::CloseHandle(toHandle(handle)))
        return lastError();
    return {};
}

SysResult<std::int64_t> Win32FileServices::readFromDevice(FileHandle handle, std::int64_t offset, void* buffer,
                                                          std::size_t size) {
    // Past the cache only through a handle that does not buffer: one made for the read where this
    // one buffers, sharing the writing that this handle does.
    HANDLE reader = toHandle(handle);
    if (direct_.count(handle) == 0) {
        const HANDLE unbuffered =
            ::ReOpenFile(toHandle(handle), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_FLAG_NO_BUFFERING);
        if (unbuffered != INVALID_HANDLE_VALUE)
            reader = unbuffered;
    }
    auto* bytes = static_cast<unsigned char*>(buffer);
    std::size_t got = 0;
    int error = 0;
    while (got < size) {
        OVERLAPPED position = win32::overlappedAt(offset + static_cast<std::int64_t>(got));
        DWORD read = 0;
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(size - got, 1u << 30));
        if (!::ReadFile(reader, bytes + got, chunk, &read, &position)) {
            error = ::GetLastError() == ERROR_HANDLE_EOF ? 0 : lastErrno();
            break;
        }
        if (read == 0)
            break;
        got += read;
    }
    if (reader != toHandle(handle))
        ::CloseHandle(reader);
    return {static_cast<std::int64_t>(got), error};
}

namespace {

// A read past the cache in flight on a handle of its own, made to overlap; ended before it goes,
// so that neither the buffer nor the handle is left to a read still running.
struct OverlappedRead {
    HANDLE reader = INVALID_HANDLE_VALUE;
    OVERLAPPED position{};
    bool pending = false;

    ~OverlappedRead() {
        DWORD read = 0;
        if (pending)
            ::GetOverlappedResult(reader, &position, &read, TRUE);
        if (position.hEvent != nullptr)
            ::CloseHandle(position.hEvent);
        if (reader != INVALID_HANDLE_VALUE)
            ::CloseHandle(reader);
    }
};

} // namespace

DeviceRead Win32FileServices::startDeviceRead(FileHandle handle, std::int64_t offset, void* buffer, std::size_t size) {
    auto flight = std::make_shared<OverlappedRead>();
    flight->reader = ::ReOpenFile(toHandle(handle), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  FILE_FLAG_NO_BUFFERING | FILE_FLAG_OVERLAPPED);
    flight->position = win32::overlappedAt(offset);
    flight->position.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (flight->reader == INVALID_HANDLE_VALUE || flight->position.hEvent == nullptr || size > (1u << 30))
        return {readFromDevice(handle, offset, buffer, size), nullptr};
    if (::ReadFile(flight->reader, buffer, static_cast<DWORD>(size), nullptr, &flight->position) ||
        ::GetLastError() == ERROR_IO_PENDING) {
        flight->pending = true;
        return {{0, 0}, flight};
    }
    return {{0, ::GetLastError() == ERROR_HANDLE_EOF ? 0 : lastErrno()}, nullptr};
}

bool Win32FileServices::waitForDeviceRead(DeviceRead& read, std::int64_t microseconds) {
    if (!read.inFlight)
        return true;
    const auto flight = std::static_pointer_cast<OverlappedRead>(read.inFlight);
    return ::WaitForSingleObject(flight->position.hEvent, static_cast<DWORD>(microseconds / 1000)) == WAIT_OBJECT_0;
}

SysResult<std::int64_t> Win32FileServices::awaitDeviceRead(DeviceRead& read) {
    if (!read.inFlight)
        return read.result;
    auto flight = std::static_pointer_cast<OverlappedRead>(read.inFlight);
    DWORD got = 0;
    const bool done = ::GetOverlappedResult(flight->reader, &flight->position, &got, TRUE);
    flight->pending = false;
    const int error = done || ::GetLastError() == ERROR_HANDLE_EOF ? 0 : lastErrno();
    read.result = {static_cast<std::int64_t>(got), error};
    read.inFlight.reset();
    return read.result;
}

SysStatus Win32FileServices::cutToZero(FileHandle handle) {
    FILE_END_OF_FILE_INFO end{};
    if (!::SetFileInformationByHandle(toHandle(handle), FileEndOfFileInfo, &end, sizeof end) ||
        !::FlushFileBuffers(toHandle(handle)))
        return lastError();
    return {};
}

SysResult<OverwriteHandle> Win32FileServices::reopenForOverwrite(FileHandle pinned) {
    // The held handle reaches the file whatever its name is now; others may read, not write.
    const HANDLE opened = ::ReOpenFile(toHandle(pinned), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                       FILE_FLAG_NO_BUFFERING | FILE_FLAG_WRITE_THROUGH);
    if (opened == INVALID_HANDLE_VALUE)
        return {{}, lastErrno()};
    direct_.insert(fromHandle(opened));
    return {{fromHandle(opened), WriteRoute::Direct}, 0};
}

SysResult<std::vector<DataRange>> Win32FileServices::dataRangesOf(FileHandle handle) {
    const auto length = lengthOf(handle);
    if (!length.ok())
        return {{}, length.error};
    // Only a file marked sparse can have holes; any other answer is not trusted to leave data out.
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(toHandle(handle), &info) || !(info.dwFileAttributes & FILE_ATTRIBUTE_SPARSE_FILE))
        return {{{0, length.value}}, 0};
    FILE_ALLOCATED_RANGE_BUFFER asked{};
    asked.Length.QuadPart = length.value;
    std::vector<FILE_ALLOCATED_RANGE_BUFFER> found(64);
    for (;;) {
        DWORD bytes = 0;
        const BOOL done =
            ::DeviceIoControl(toHandle(handle), FSCTL_QUERY_ALLOCATED_RANGES, &asked, sizeof asked, found.data(),
                              static_cast<DWORD>(found.size() * sizeof found[0]), &bytes, nullptr);
        if (!done && ::GetLastError() == ERROR_MORE_DATA && found.size() < 65536) {
            found.resize(found.size() * 4);
            continue;
        }
        // A file system that cannot tell holes: all of the file is data.
        if (!done)
            return {{{0, length.value}}, 0};
        std::vector<DataRange> ranges;
        for (DWORD i = 0; i < bytes / sizeof found[0]; ++i)
            ranges.push_back({found[i].FileOffset.QuadPart, found[i].Length.QuadPart});
        return {ranges, 0};
    }
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

// ---- names in the held folder ----

std::string Win32FileServices::inFolder(FileHandle folder, const std::string& name) const {
    const auto found = folders_.find(folder);
    const std::string path = found == folders_.end() ? std::string() : found->second;
    return path + (path.empty() || path.back() == '\\' || path.back() == '/' ? "" : "\\") + name;
}

SysResult<FileHandle> Win32FileServices::openFolder(const std::string& path) {
    const HANDLE folder = ::CreateFileW(widePath(path).c_str(), FILE_LIST_DIRECTORY, kShareAll, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE)
        return {kNoHandle, lastErrno()};
    folders_[fromHandle(folder)] = path;
    return {fromHandle(folder), 0};
}

SysResult<EntryStatus> Win32FileServices::statusAt(FileHandle folder, const std::string& name) {
    const auto entry = win32::openCheckedAt(toHandle(folder), name, FILE_READ_ATTRIBUTES, kShareAll, 0,
                                            [](HANDLE, const BY_HANDLE_FILE_INFORMATION&) { return 0; });
    if (!entry.ok())
        return {{}, entry.error};
    const auto status = statusOfHandle(entry.value);
    ::CloseHandle(entry.value);
    return status;
}

SysResult<FileIdentity> Win32FileServices::identityOfFolder(FileHandle folder) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(toHandle(folder), &info))
        return {{}, lastErrno()};
    return {identityOf(info), 0};
}

SysResult<std::string> Win32FileServices::diskOf(FileHandle folder) {
    DWORD serial = 0;
    if (!::GetVolumeInformationByHandleW(toHandle(folder), nullptr, 0, &serial, nullptr, nullptr, nullptr, 0))
        return {{}, lastErrno()};
    return {std::to_string(serial), 0};
}

// A mount point or a junction is a reparse point; so is every other link to elsewhere.
SysResult<bool> Win32FileServices::isMountRoot(FileHandle folder) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(toHandle(folder), &info))
        return {false, lastErrno()};
    return {(info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0, 0};
}

SysStatus Win32FileServices::renameAt(FileHandle fromFolder, const std::string& from, FileHandle toFolder,
                                      const std::string& to) {
    // Without MOVEFILE_REPLACE_EXISTING an existing name is never replaced; write-through commits the move.
    if (!::MoveFileExW(widePath(inFolder(fromFolder, from)).c_str(), widePath(inFolder(toFolder, to)).c_str(),
                       MOVEFILE_WRITE_THROUGH))
        return lastError();
    return {};
}

SysStatus Win32FileServices::removeAt(FileHandle folder, const std::string& name) {
    if (!::DeleteFileW(widePath(inFolder(folder, name)).c_str()))
        return lastError();
    return {};
}

SysResult<FileHandle> Win32FileServices::makePrivateFolderAt(FileHandle folder, const std::string& name) {
    const std::string path = inFolder(folder, name);
    if (!::CreateDirectoryW(widePath(path).c_str(), nullptr))
        return {kNoHandle, lastErrno()};
    ::SetFileAttributesW(widePath(path).c_str(), FILE_ATTRIBUTE_HIDDEN);
    const auto opened = openFolder(path);
    if (!opened.ok())
        ::RemoveDirectoryW(widePath(path).c_str());
    return opened;
}

SysStatus Win32FileServices::removeFolderAt(FileHandle folder, const std::string& name) {
    const std::wstring path = widePath(inFolder(folder, name));
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!::RemoveDirectoryW(path.c_str()))
        return lastError();
    return {};
}

bool Win32Process::hasFullRights() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    const bool elevated = ::GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) &&
                          elevation.TokenIsElevated != 0;
    ::CloseHandle(token);
    return elevated;
}

Holders Win32Process::holdersOf(FileHandle pinned) {
    // Reading while denying others the writing fails where another handle writes to the file.
    const HANDLE reader = ::ReOpenFile(toHandle(pinned), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, 0);
    if (reader == INVALID_HANDLE_VALUE)
        return ::GetLastError() == ERROR_SHARING_VIOLATION ? Holders::Others : Holders::None;
    ::CloseHandle(reader);
    return Holders::None;
}

// The moves are written through; a folder is flushed besides where this user may write to it and
// its file system can (NTFS). Where either is missing there is no such flush, which is no error.
SysStatus Win32FileServices::flushFolder(FileHandle folder) {
    const HANDLE writable =
        ::ReOpenFile(toHandle(folder), GENERIC_READ | GENERIC_WRITE, kShareAll, FILE_FLAG_BACKUP_SEMANTICS);
    if (writable == INVALID_HANDLE_VALUE)
        return {};
    const bool flushed = ::FlushFileBuffers(writable) != 0;
    const DWORD error = ::GetLastError();
    ::CloseHandle(writable);
    if (flushed || error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_HANDLE ||
        error == ERROR_ACCESS_DENIED)
        return {};
    return {win32::errnoFor(error)};
}

// Windows lets no program read a folder's index blocks: where the index has left the folder's own
// record (it takes blocks of its own), they may keep a deleted name, which cannot be told.
SysResult<bool> Win32FileServices::folderIndexHolds(FileHandle folder, const std::vector<std::string>&) {
    FILE_STANDARD_INFO standard{};
    if (!::GetFileInformationByHandleEx(toHandle(folder), FileStandardInfo, &standard, sizeof standard))
        return {false, lastErrno()};
    return standard.AllocationSize.QuadPart == 0 ? SysResult<bool>{false, 0} : SysResult<bool>{false, EOPNOTSUPP};
}

// A named stream of the folder, resident in its record while it fits, as on ntfs-3g.
SysStatus Win32FileServices::fillFolderRecordSlack(FileHandle folder) {
    const auto found = folders_.find(folder);
    if (found == folders_.end())
        return {EBADF};
    const std::wstring stream = widePath(found->second) + L":_";
    const std::vector<char> zeros(4096, 0);
    bool anyMade = false;
    for (DWORD size = 4096; size >= 8; size -= 8) {
        const HANDLE made =
            ::CreateFileW(stream.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        // One of that name is the user's own, and a volume without streams has none to make.
        if (made == INVALID_HANDLE_VALUE)
            return {::GetLastError() == ERROR_FILE_EXISTS ? EEXIST : EOPNOTSUPP};
        DWORD written = 0;
        anyMade |= ::WriteFile(made, zeros.data(), size, &written, nullptr) != 0;
        ::CloseHandle(made);
        if (!::DeleteFileW(stream.c_str()))
            return {lastErrno()};
    }
    return anyMade ? SysStatus{} : SysStatus{ENOSPC};
}

SysResult<FileHandle> Win32FileServices::openFolderAt(FileHandle folder, const std::string& name) {
    const std::string path = inFolder(folder, name);
    // The entry itself, never what a link or junction points to.
    const auto opened =
        win32::openCheckedAt(toHandle(folder), name, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES, kShareAll, 0,
                             [](HANDLE, const BY_HANDLE_FILE_INFORMATION& info) {
                                 const EntryKind kind = win32::kindOf(info.dwFileAttributes);
                                 return kind == EntryKind::Symlink ? ELOOP : kind != EntryKind::Directory ? ENOTDIR : 0;
                             });
    if (!opened.ok())
        return {kNoHandle, opened.error};
    folders_[fromHandle(opened.value)] = path;
    return {fromHandle(opened.value), 0};
}

SysResult<std::vector<std::string>> Win32FileServices::namesIn(FileHandle folder) {
    const auto found = folders_.find(folder);
    if (found == folders_.end())
        return {{}, EBADF};
    return listFolder(found->second);
}

SysResult<FileHandle> Win32FileServices::createFileAt(FileHandle folder, const std::string& name) {
    // The fill writes whole aligned chunks, so it always goes past the cache.
    const DWORD flags = FILE_FLAG_NO_BUFFERING | FILE_FLAG_WRITE_THROUGH;
    const HANDLE file = ::CreateFileW(widePath(inFolder(folder, name)).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                      nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL | flags, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {kNoHandle, lastErrno()};
    return {fromHandle(file), 0};
}

SysStatus Win32FileServices::createSmallFileAt(FileHandle folder, const std::string& name,
                                               const std::string& contents) {
    const std::wstring path = widePath(inFolder(folder, name));
    const SysStatus status = writeNewFile(path, contents);
    if (!status.ok())
        ::DeleteFileW(path.c_str());
    return status;
}

SysStatus Win32FileServices::lockFolder(FileHandle folder) {
    // A lock file that no one else may open, gone with its handle, which goes with the folder's.
    const HANDLE lock = ::CreateFileW(widePath(inFolder(folder, std::string(diskNames::kLockSuffix))).c_str(),
                                      GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (lock == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        return {error == ERROR_SHARING_VIOLATION ? EBUSY : win32::errnoFor(error)};
    }
    locks_[folder] = fromHandle(lock);
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
    SysStatus status = writeNewFile(widePath(temporary), contents);
    if (status.ok() && !::MoveFileExW(widePath(temporary).c_str(), widePath(path).c_str(),
                                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        status = lastError();
    if (!status.ok())
        ::DeleteFileW(widePath(temporary).c_str());
    return status;
}

} // namespace kelvanter

// Where a file's data lives on Windows: the volume's file system and drive type, and the clusters
// from FSCTL_GET_RETRIEVAL_POINTERS, asked of the open file.
#include "platform/win32/Win32FileServices.h"

#include "platform/StorageAnswers.h"
#include "platform/win32/WidePath.h"
#include "platform/win32/Win32Errors.h"
#include "platform/win32/Win32Handles.h"

#include <optional>
#include <winioctl.h>

namespace kelvanter {

using win32::lastErrno;
using win32::toHandle;
using win32::widePath;

namespace {

StorageKind kindOfFileSystem(const std::wstring& name) {
    if (name == L"NTFS" || name == L"FAT" || name == L"FAT32" || name == L"exFAT")
        return StorageKind::InPlace;
    if (name == L"ReFS")
        return StorageKind::CopyOnWrite;
    return StorageKind::Unknown;
}

// The root of the volume that holds the path ("C:\", "\\server\share\"); empty where unknown.
std::wstring volumeRootOf(const std::string& path) {
    wchar_t root[MAX_PATH + 1] = {};
    if (!::GetVolumePathNameW(widePath(path).c_str(), root, MAX_PATH))
        return {};
    return root;
}

// The path the system knows the open file by, for the questions only a path answers.
std::string finalPathOf(HANDLE file) {
    std::wstring path(32768, L'\0');
    const DWORD length = ::GetFinalPathNameByHandleW(file, path.data(), static_cast<DWORD>(path.size()), 0);
    if (length == 0 || length >= path.size())
        return {};
    path.resize(length);
    return win32::narrow(path);
}

std::int64_t clusterSizeOf(const std::wstring& root) {
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
    if (root.empty() ||
        !::GetDiskFreeSpaceW(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters))
        return 0;
    return static_cast<std::int64_t>(sectorsPerCluster) * bytesPerSector;
}

// The clusters of the open file, as runs of virtual to logical cluster numbers.
SysResult<std::vector<Extent>> clusterRunsOf(HANDLE file, std::int64_t clusterSize, std::uint32_t flags) {
    std::vector<Extent> extents;
    STARTING_VCN_INPUT_BUFFER start{};
    alignas(8) unsigned char output[16384];
    auto* runs = reinterpret_cast<RETRIEVAL_POINTERS_BUFFER*>(output);
    for (;;) {
        DWORD got = 0;
        const BOOL done = ::DeviceIoControl(file, FSCTL_GET_RETRIEVAL_POINTERS, &start, sizeof start, output,
                                            sizeof output, &got, nullptr);
        const DWORD error = done ? ERROR_SUCCESS : ::GetLastError();
        if (error == ERROR_HANDLE_EOF)
            break; // no clusters at all: empty, or kept inside the file's own record
        if (error != ERROR_SUCCESS && error != ERROR_MORE_DATA)
            return {{}, win32::errnoFor(error) == EIO ? EOPNOTSUPP : win32::errnoFor(error)};
        LONGLONG vcn = runs->StartingVcn.QuadPart;
        for (DWORD i = 0; i < runs->ExtentCount; ++i) {
            const LONGLONG next = runs->Extents[i].NextVcn.QuadPart;
            const LONGLONG lcn = runs->Extents[i].Lcn.QuadPart;
            if (lcn >= 0) // -1: a sparse hole with no clusters
                extents.push_back({vcn * clusterSize, lcn * clusterSize, (next - vcn) * clusterSize, flags});
            vcn = next;
        }
        if (error == ERROR_SUCCESS || runs->ExtentCount == 0)
            break;
        start.StartingVcn.QuadPart = vcn;
    }
    return {extents, 0};
}

// Wine answers the storage queries with made-up values: every disk SCSI, none with a seek penalty.
bool underWine() {
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

template <typename Answer> std::optional<Answer> queryStorage(HANDLE volume, STORAGE_PROPERTY_ID property) {
    STORAGE_PROPERTY_QUERY query{};
    query.PropertyId = property;
    query.QueryType = PropertyStandardQuery;
    Answer answer{};
    DWORD got = 0;
    if (!::DeviceIoControl(volume, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, &answer, sizeof answer, &got,
                           nullptr) ||
        got < sizeof answer)
        return std::nullopt;
    return answer;
}

// What the device under the volume is made of, asked of the volume itself (no access rights needed).
MediaKind mediaOfVolume(const std::wstring& root) {
    if (root.size() < 2 || root[1] != L':')
        return MediaKind::Unknown;
    const std::wstring volumePath = L"\\\\.\\" + root.substr(0, 2);
    const HANDLE volume =
        ::CreateFileW(volumePath.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (volume == INVALID_HANDLE_VALUE)
        return MediaKind::Unknown;
    const auto penalty = queryStorage<DEVICE_SEEK_PENALTY_DESCRIPTOR>(volume, StorageDeviceSeekPenaltyProperty);
    const auto device = queryStorage<STORAGE_DEVICE_DESCRIPTOR>(volume, StorageDeviceProperty);
    ::CloseHandle(volume);
    return storageAnswers::mediaFromWindows(
        penalty ? std::optional<bool>(penalty->IncursSeekPenalty != FALSE) : std::nullopt,
        device ? std::optional<int>(device->BusType) : std::nullopt, device && device->RemovableMedia, underWine());
}

// The cloud-files API's answer about a sync root, loaded at run time: cldapi.dll came with
// Windows 10 1709.
struct SyncRootProviderInfo {
    ULONG status;
    WCHAR name[256];
    WCHAR version[256];
};
using GetSyncRootInfoByPath = HRESULT(WINAPI*)(LPCWSTR, int, PVOID, DWORD, DWORD*);

std::optional<std::string> syncRootProviderOf(const std::string& path) {
    const HMODULE cloudFiles = ::LoadLibraryW(L"cldapi.dll");
    if (cloudFiles == nullptr)
        return std::nullopt;
    // Through void*, as every function pointer from GetProcAddress must be cast.
    const auto query = reinterpret_cast<GetSyncRootInfoByPath>(
        reinterpret_cast<void*>(::GetProcAddress(cloudFiles, "CfGetSyncRootInfoByPath")));
    std::optional<std::string> provider;
    SyncRootProviderInfo info{};
    DWORD got = 0;
    constexpr int kProviderInfo = 2; // CF_SYNC_ROOT_INFO_PROVIDER
    if (query != nullptr && SUCCEEDED(query(widePath(path).c_str(), kProviderInfo, &info, sizeof info, &got)))
        provider = win32::narrow(std::wstring(info.name, ::wcsnlen(info.name, 256)));
    ::FreeLibrary(cloudFiles);
    return provider;
}

} // namespace

SysResult<StorageFacts> Win32FileServices::storageOf(FileHandle handle, const std::string& path) {
    wchar_t name[MAX_PATH + 1] = {};
    if (!::GetVolumeInformationByHandleW(toHandle(handle), nullptr, 0, nullptr, nullptr, nullptr, name, MAX_PATH))
        return {{}, lastErrno()};
    StorageFacts facts;
    facts.fileSystem = win32::narrow(name);
    facts.kind = kindOfFileSystem(name);
    const auto names = storageAnswers::namesFromWindows(facts.fileSystem, underWine());
    facts.deletedNames = names.deletedNames;
    facts.namesInSystemLog = names.inSystemLog;
    const std::wstring root = volumeRootOf(path);
    if (path.rfind("\\\\", 0) == 0 || (!root.empty() && ::GetDriveTypeW(root.c_str()) == DRIVE_REMOTE))
        facts.kind = StorageKind::Remote;
    facts.media = mediaOfVolume(root);
    const auto provider =
        storageAnswers::syncProviderFromWindows(::GetFileAttributesW(widePath(path).c_str()), syncRootProviderOf(path));
    facts.synchronised = provider.has_value();
    facts.syncProvider = provider.value_or("");
    return {facts, 0};
}

SysResult<std::vector<Extent>> Win32FileServices::extentsOf(FileHandle handle) {
    const HANDLE file = toHandle(handle);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file, &info))
        return {{}, lastErrno()};
    const std::int64_t clusterSize = clusterSizeOf(volumeRootOf(finalPathOf(file)));
    const bool encoded = (info.dwFileAttributes & (FILE_ATTRIBUTE_COMPRESSED | FILE_ATTRIBUTE_ENCRYPTED)) != 0;
    auto extents = clusterSize > 0 ? clusterRunsOf(file, clusterSize, encoded ? kExtentEncoded : 0)
                                   : SysResult<std::vector<Extent>>{{}, EOPNOTSUPP};
    const std::int64_t size = (static_cast<std::int64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    // Data but no clusters: it lives inside the file's own record, where no overwrite can be traced.
    if (extents.ok() && extents.value.empty() && size > 0)
        extents.value.push_back({0, 0, size, kExtentInline});
    return extents;
}

} // namespace kelvanter

#include "win32/HandOver.h"

#include "platform/WideText.h"

namespace kelvanter::win32ui::handOver {

namespace {

// "Local\": one session's starts only; another user's windows are never asked.
constexpr wchar_t kLockName[] = L"Local\\Kelvanter.HandOver";
constexpr wchar_t kGathers[] = L"Kelvanter.Gathers";
constexpr ULONG_PTR kKind = 0x4B4C5631;
// A window that hangs must not hold Explorer's start forever; it then opens its own window.
constexpr UINT kAnswerWithinMs = 10000;

struct Search {
    const std::wstring* payload;
    bool taken = false;
};

BOOL CALLBACK offerTo(HWND window, LPARAM searchAddress) {
    auto& search = *reinterpret_cast<Search*>(searchAddress);
    if (::GetPropW(window, kGathers) == nullptr)
        return TRUE;
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == ::GetCurrentProcessId())
        return TRUE;
    ::AllowSetForegroundWindow(owner);
    COPYDATASTRUCT data{kKind, static_cast<DWORD>(search.payload->size() * sizeof(wchar_t)),
                        const_cast<wchar_t*>(search.payload->data())};
    DWORD_PTR answer = 0;
    search.taken = ::SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                                         SMTO_ABORTIFHUNG | SMTO_BLOCK, kAnswerWithinMs, &answer) != 0 &&
                   answer == static_cast<DWORD_PTR>(kTaken);
    return search.taken ? FALSE : TRUE;
}

} // namespace

StartLock::StartLock() : mutex_(::CreateMutexW(nullptr, FALSE, kLockName)) {
    // An abandoned lock (a start that crashed) is taken over all the same.
    if (mutex_ != nullptr)
        ::WaitForSingleObject(mutex_, INFINITE);
}

StartLock::~StartLock() {
    if (mutex_ != nullptr) {
        ::ReleaseMutex(mutex_);
        ::CloseHandle(mutex_);
    }
}

void gatherInto(HWND window) {
    ::SetPropW(window, kGathers, reinterpret_cast<HANDLE>(1));
}

// Each path ends in a NUL, so that no name can run into the next.
bool toGatheringWindow(const std::vector<std::string>& paths) {
    std::wstring payload;
    for (const std::string& path : paths) {
        payload += win32::widen(path);
        payload += L'\0';
    }
    Search search{&payload};
    ::EnumWindows(offerTo, reinterpret_cast<LPARAM>(&search));
    return search.taken;
}

std::optional<std::vector<std::string>> filesIn(const COPYDATASTRUCT& data) {
    if (data.dwData != kKind || data.lpData == nullptr || data.cbData % sizeof(wchar_t) != 0)
        return std::nullopt;
    const std::wstring payload(static_cast<const wchar_t*>(data.lpData), data.cbData / sizeof(wchar_t));
    if (payload.empty() || payload.back() != L'\0')
        return std::nullopt;
    std::vector<std::string> paths;
    for (std::size_t start = 0; start < payload.size();) {
        const std::size_t end = payload.find(L'\0', start);
        if (end > start)
            paths.push_back(win32::narrow(payload.substr(start, end - start)));
        start = end + 1;
    }
    return paths;
}

} // namespace kelvanter::win32ui::handOver

#pragma once

namespace kelvanter {

// What the core decides on when a service fails. The services return errno-style codes on every
// platform (each platform translates its own); they name the reason here, and the code itself is
// only for the window's words.
enum class Reason {
    None,
    NoFileThere, // nothing destroyable at the path: nothing, a link, a folder, another file
    Busy,        // another process holds it (a lock, a fill)
    NameTaken,   // the name is taken, and nothing was replaced
    NoRoom,      // the file may not grow: a full disk, a quota, a size limit
    NotEmpty,    // a folder that still holds entries
    Unsupported, // the file system offers no such operation (for a rename: none that never replaces)
    Cancelled,   // the user or a request to end the program stopped the run
    Other,       // a refusal or a failure of the device
};

// The value a run returns where it was stopped midway; apart from every errno value.
inline constexpr int kRunCancelled = 0x10005;

// The reason behind a service's error code.
Reason reasonOf(int error);

} // namespace kelvanter

#pragma once

namespace kelvanter::win32ui {

// Control identifiers of the main window; the order is the tab order.
enum ControlId {
    kFname = 1001,
    kCommand1,
    kCommand2,
    kLabel2,
    kLabel3,
    kOption0,
    kOption1,
    kCommand3,
    kCommand4,
    // The progress row's controls, from Picture1 on.
    kProgressRow = 1101,
};

} // namespace kelvanter::win32ui

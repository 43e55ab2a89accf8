#pragma once

namespace kelvanter::win32ui {

// Control identifiers of the main window; the order is the tab order.
enum ControlId {
    kFname = 1001,
    kCommand1,
    kCommand2,
    kPicture1,
    kLabel2,
    kLabel3,
    kOption0,
    kOption1,
    kLabel1,
    kCommand3,
    kCommand4,
    kLabel4,
    kLabel5,
    kLabel6,
    kLabel7,
    kTimer1 = 1,
};

} // namespace kelvanter::win32ui

#pragma once

namespace kelvanter {

// Qt's file dialog saves its history and last folder to the user's settings each time it closes.
// For a file destroyer that is a record of what was destroyed: send those settings nowhere.
void keepQtSettingsOutOfHome();

} // namespace kelvanter

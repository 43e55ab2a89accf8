#pragma once

#include "Clock.h"
#include "FileServices.h"
#include "VeskDisplay.h"

namespace kelvanter {

// What one destruction works with: the window, the file system and the clock.
struct CoreContext {
    VeskDisplay& display;
    FileServices& files;
    Clock& clock;
};

} // namespace kelvanter

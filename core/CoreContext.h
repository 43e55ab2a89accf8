#pragma once

#include "core/VeskDisplay.h"
#include "platform/Clock.h"
#include "platform/FileServices.h"

namespace kelvanter {

// What one destruction works with: the window, the file system and the clock.
struct CoreContext {
    VeskDisplay& display;
    DestructionServices& files;
    Clock& clock;
};

} // namespace kelvanter

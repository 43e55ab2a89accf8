#include "window/WindowDisplay.h"

#include "window/BoxTexts.h"

namespace kelvanter {

void WindowDisplay::report(const RunReport& report) {
    const boxTexts::Box box = boxTexts::boxFor(report, port_.executableName());
    progress_.messageBox(box.text, box.style, box.title);
}

} // namespace kelvanter

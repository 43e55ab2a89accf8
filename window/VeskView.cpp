#include "window/VeskView.h"

#include "window/BoxTexts.h"
#include "window/Palette.h"
#include "window/ProgressDisplay.h"

namespace kelvanter {

void VeskView::enterPhase(RunPhase phase) {
    switch (phase) {
    case RunPhase::Begun:
        port_.setWindowEnabled(false);
        break;
    case RunPhase::Disposing:
        progress_.setMousePointer(kPointerHourglass);
        break;
    case RunPhase::Disposed:
        progressDisplay::showFull(progress_);
        break;
    case RunPhase::Destroyed:
        port_.setSuccessLabelVisible(true);
        break;
    case RunPhase::Reset:
        progressDisplay::reset(progress_, port_);
        break;
    case RunPhase::Ended:
        port_.setWindowEnabled(true);
        break;
    }
}

void VeskView::advance(double fraction) {
    progressDisplay::showShare(progress_, fraction);
}

void VeskView::report(const RunReport& report) {
    // The program ends as asked once the run is over: no box waits for the user meanwhile.
    if (process_.stopRequested())
        return;
    const boxTexts::Box box = boxTexts::boxFor(report, port_.executableName(), process_.hasFullRights());
    progress_.messageBox(box.text, box.style, box.title);
}

} // namespace kelvanter

#include "window/RunView.h"

#include "window/BoxTexts.h"
#include "window/Palette.h"
#include "window/ProgressDisplay.h"

namespace kelvanter {

void RunView::plan(std::int64_t weights, std::int64_t passes, std::int64_t bytes) {
    weights_ = weights > 0 ? weights : 1;
    passes_ = passes;
    bytesLeft_ = bytes;
    weightBefore_ = 0;
    weight_ = 0;
    bytesBefore_ = 0;
}

void RunView::beginFile(std::int64_t weight, std::int64_t size) {
    weightBefore_ += weight_;
    bytesBefore_ += file_.lBytesTotal;
    bytesLeft_ -= size;
    weight_ = weight;
    file_ = {};
    reports_.clear();
}

void RunView::endFile() {
    advance(1.0);
    countBytes();
}

void RunView::skipFile(std::int64_t weight, std::int64_t size) {
    beginFile(weight, size);
    endFile();
}

void RunView::enterPhase(RunPhase phase) {
    switch (phase) {
    case RunPhase::Begun:
        port_.setWindowEnabled(false);
        return;
    case RunPhase::Disposing:
        progress_.setMousePointer(kPointerHourglass);
        return;
    default:
        break;
    }
    // A list shows its end once, after its last file.
    if (!oneFile_)
        return;
    if (phase == RunPhase::Disposed)
        progressDisplay::showFull(progress_);
    else if (phase == RunPhase::Destroyed)
        port_.setSuccessLabelVisible(true);
    else if (phase == RunPhase::Reset)
        progressDisplay::reset(progress_, port_);
    else if (phase == RunPhase::Ended)
        port_.setWindowEnabled(true);
}

void RunView::advance(double fraction) {
    const double done = static_cast<double>(weightBefore_) + fraction * static_cast<double>(weight_);
    progressDisplay::showShare(progress_, oneFile_ ? fraction : done / static_cast<double>(weights_));
}

void RunView::serve() {
    countBytes();
    progress_.processEvents();
}

// The file's bytes in the run's counters, which the estimate reads.
void RunView::countBytes() {
    if (oneFile_)
        return;
    overall_.lBytesDone = bytesBefore_ + file_.lBytesDone;
    overall_.lBytesTotal = bytesBefore_ + file_.lBytesTotal + passes_ * bytesLeft_;
}

void RunView::report(const RunReport& report) {
    reports_.push_back(report);
    if (!oneFile_)
        return;
    // The program ends as asked once the run is over: no box waits for the user meanwhile.
    if (process_.stopRequested())
        return;
    const boxTexts::Box box = boxTexts::boxFor(report, port_.executableName(), process_.hasFullRights());
    progress_.messageBox(box.text, box.style, box.title);
}

} // namespace kelvanter

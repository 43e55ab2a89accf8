#pragma once

#include "core/ByteCounters.h"
#include "core/DestructionList.h"
#include "core/OverwritePasses.h"
#include "platform/Clock.h"
#include "platform/FileServices.h"
#include "window/FileTraces.h"
#include "window/ListTexts.h"
#include "window/ProgressPort.h"
#include "window/RunView.h"
#include "window/VeskPort.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kelvanter {

// The destroy command's run, once for one file and for many: the questions before it, each file
// through the core in turn, and what the window says after it. One file given is a list of one,
// with the questions and boxes of its own; a list adds only the counts and gathered doubts of its
// one question, and the account at the end.
class DestroyRun {
public:
    DestroyRun(ProgressPort& progress, VeskPort& port, DestructionServices& files, ProcessServices& process,
               Clock& clock, FileTraces& traces, ByteCounters& counters, std::int32_t& seconds)
        : progress_(progress), port_(port), files_(files), process_(process), clock_(clock), traces_(traces),
          counters_(counters), seconds_(seconds) {}

    // The files at the paths, and the files beneath the folders among them.
    void destroy(const std::vector<std::string>& paths);
    bool inProgress() const { return inProgress_; }

private:
    bool foundAny(DestructionList& list, bool oneFile);
    bool askedAboutOne(DestructionList::File& file, DestructionTarget& target);
    bool confirmedList(const DestructionList& list);
    bool liftWriteProtection(DestructionList::File& file, DestructionTarget& target, bool oneFile);
    void runAll(DestructionList& list, std::optional<DestructionTarget> first, bool oneFile);
    void runTurn(DestructionList& list, std::size_t index, std::optional<DestructionTarget> target, RunView& view,
                 PassModes modes, bool oneFile);
    Verdict destroyOne(DestructionList::File& file, DestructionTarget target, RunView& view, PassModes modes,
                       bool oneFile);
    void accountFor(Verdict verdict, const std::string& words);
    void noteRefusal(const std::string& path, DestructionList::Refusal refusal, int error);
    void afterOne(const DestructionList::File& file);
    void afterList(bool stopped);
    void offerToOverwriteFreeSpace();
    int box(const std::string& text, int style, const std::string& title);
    void reportFailure(const std::string& path, const std::string& reason);

    ProgressPort& progress_;
    VeskPort& port_;
    DestructionServices& files_;
    ProcessServices& process_;
    Clock& clock_;
    FileTraces& traces_;
    ByteCounters& counters_;
    std::int32_t& seconds_;
    listTexts::Account account_;
    std::optional<std::string> freeSpaceFolder_; // where overwriting the free space would finish the job
    std::optional<Verdict> oneVerdict_;          // of the one file given, once it ran
    std::optional<std::string> oneEscaped_;      // the words of an error that escaped its run
    bool inProgress_ = false;
};

} // namespace kelvanter

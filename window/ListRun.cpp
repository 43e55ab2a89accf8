#include "window/ListRun.h"

#include "platform/PathParts.h"
#include "window/BoxStyles.h"
#include "window/BoxTexts.h"
#include "window/ErrorTexts.h"
#include "window/Palette.h"
#include "window/PathText.h"
#include "window/ProgressDisplay.h"
#include "window/RunClock.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace kelvanter {

namespace {

constexpr std::int64_t kLeastWeight = 4096; // an empty file still takes a block's write

std::int64_t weightOf(std::int64_t size) {
    return std::max(size, kLeastWeight);
}

// The doubts a file's question raises, as fragments of the one question.
std::vector<std::string> doubtsOf(const DestructionTarget& target) {
    std::vector<std::string> doubts;
    for (const Doubt& doubt : doubtsFrom(target.storage))
        doubts.push_back(boxTexts::reason(doubt));
    if (target.pin.otherNamesAtLookup() > 0)
        doubts.emplace_back("sie hat weitere Namen (harte Verknüpfungen), unter denen ihr Inhalt ebenso verschwindet");
    if ((target.pin.attributesAtLookup() & kAttrReadOnly) != 0)
        doubts.emplace_back("sie ist schreibgeschützt; der Schreibschutz wird entfernt");
    return doubts;
}

// The doubts of all the files, each once, with the number of files it concerns, in first-met order.
std::vector<listTexts::GatheredDoubt> gatheredDoubts(const std::vector<std::vector<std::string>>& eachFiles) {
    std::vector<listTexts::GatheredDoubt> gathered;
    for (const auto& doubts : eachFiles) {
        for (const std::string& reason : doubts) {
            auto found =
                std::find_if(gathered.begin(), gathered.end(), [&](const auto& d) { return d.reason == reason; });
            if (found == gathered.end())
                gathered.push_back({reason, 1});
            else
                ++found->files;
        }
    }
    return gathered;
}

// Each file's line in the account: its path, then what its boxes would have said.
// "/x/Akten/" names the folder "Akten" in "/x"; a root ("/", "C:\\") keeps its separator, as
// "C:" alone would name the drive's current folder.
std::string withoutFinalSeparators(std::string path, const char* separators) {
    const auto isRoot = [](const std::string& p) { return p.size() == 1 || (p.size() == 3 && p[1] == ':'); };
    while (!path.empty() && !isRoot(path) && std::strchr(separators, path.back()) != nullptr)
        path.pop_back();
    return path;
}

std::string joinedBoxes(const std::vector<RunReport>& reports, const std::string& path, const std::string& program,
                        bool fullRights) {
    std::string text = shownName(path) + ":";
    for (const RunReport& report : reports) {
        text += " ";
        text += boxTexts::boxFor(report, program, fullRights).text;
    }
    return text;
}

} // namespace

// The run of one file as the list shows it: its share of the bar, its bytes in the counters for
// the estimate, and its reports kept for the account instead of a box each.
class ListView final : public RunProgress, public RunReports {
public:
    ListView(ProgressPort& progress, VeskPort& port, ProcessServices& process, ByteCounters& overall,
             std::int64_t weights, std::int64_t passes, std::int64_t bytes)
        : progress_(progress), port_(port), process_(process), overall_(overall), weights_(weights), passes_(passes),
          bytesLeft_(bytes) {}

    void beginFile(std::int64_t weight, std::int64_t size) {
        weightBefore_ += weight_;
        bytesBefore_ += file_.lBytesTotal;
        bytesLeft_ -= size;
        weight_ = weight;
        file_ = {};
        reports_.clear();
    }
    // A file that is not run: its share of the bar passes, and its bytes leave the estimate.
    void skipFile(std::int64_t weight, std::int64_t size) {
        beginFile(weight, size);
        file_.lBytesTotal = 0;
        advance(1.0);
        countBytes();
    }
    ByteCounters& fileCounters() { return file_; }
    const std::vector<RunReport>& reports() const { return reports_; }

    void enterPhase(RunPhase phase) override {
        if (phase == RunPhase::Begun)
            port_.setWindowEnabled(false);
        if (phase == RunPhase::Disposing)
            progress_.setMousePointer(kPointerHourglass);
    }
    void advance(double fraction) override {
        const double done = static_cast<double>(weightBefore_) + fraction * static_cast<double>(weight_);
        progressDisplay::showShare(progress_, done / static_cast<double>(weights_));
    }
    void serve() override {
        countBytes();
        progress_.processEvents();
    }
    // The file's bytes in the list's counters, which the estimate reads.
    void countBytes() {
        overall_.lBytesDone = bytesBefore_ + file_.lBytesDone;
        overall_.lBytesTotal = bytesBefore_ + file_.lBytesTotal + passes_ * bytesLeft_;
    }
    bool cancelAsked() override { return process_.stopRequested(); }
    void report(const RunReport& report) override { reports_.push_back(report); }

private:
    ProgressPort& progress_;
    VeskPort& port_;
    ProcessServices& process_;
    ByteCounters& overall_;
    ByteCounters file_;
    std::vector<RunReport> reports_;
    std::int64_t weights_ = 1;
    std::int64_t passes_ = 1;
    std::int64_t bytesLeft_ = 0;
    std::int64_t weightBefore_ = 0;
    std::int64_t weight_ = 0;
    std::int64_t bytesBefore_ = 0;
};

void ListRun::destroy(const std::vector<std::string>& paths) {
    account_ = {};
    freeSpaceFolder_.reset();
    trees_.clear();
    std::vector<Found> found = lookUpAll(withFoldersExpanded(paths));
    const bool anyFound = std::any_of(found.begin(), found.end(), [](const Found& f) { return f.asked.has_value(); });
    if (!anyFound && trees_.empty()) {
        progress_.messageBox(boxTexts::kNotFound, kStyleOkOnly, boxTexts::kNotFoundTitle);
        return;
    }
    if (!confirmed(found))
        return;
    runAll(found);
}

// The folder the path names itself, never through a link; nothing where it names none.
std::optional<FileIdentity> ListRun::folderAt(const std::string& path) {
    const auto pinned = files_.pin(path);
    if (pinned.ok())
        files_.unpin(pinned.value.handle);
    if (pinned.error != kNotARegularFile || pinned.value.status.kind != EntryKind::Directory)
        return std::nullopt;
    return pinned.value.status.identity;
}

bool ListRun::namesFolder(const std::string& path) {
    return folderAt(path).has_value();
}

// Each folder in its place by the regular files beneath it; what is no file to destroy is named.
std::vector<std::string> ListRun::withFoldersExpanded(const std::vector<std::string>& paths) {
    std::vector<std::string> expanded;
    for (const std::string& path : paths) {
        const auto folder = folderAt(path);
        if (!folder) {
            expanded.push_back(path);
            continue;
        }
        FolderTree tree = treeBeneath(files_, withoutFinalSeparators(path, files_.pathSeparators()), *folder,
                                      files_.pathSeparators());
        expanded.insert(expanded.end(), tree.files.begin(), tree.files.end());
        for (const LeftEntry& entry : tree.left)
            account_.left.push_back(listTexts::leftLine(entry));
        trees_.push_back(std::move(tree));
    }
    return expanded;
}

void ListRun::removeEmptiedFolders() {
    for (const FolderTree& tree : trees_) {
        for (const LeftEntry& entry : removeFolders(files_, process_, tree, files_.pathSeparators())) {
            auto& lines = entry.because == LeftBecause::NameKept ? account_.namesKept : account_.left;
            lines.push_back(listTexts::leftLine(entry));
        }
    }
}

// Each file is held from its lookup, as far as the system lets the process hold files open; the
// rest are let go once the question knows them, and held again at their turn.
std::vector<ListRun::Found> ListRun::lookUpAll(const std::vector<std::string>& paths) {
    std::vector<Found> found;
    std::int64_t held = 0;
    const std::int64_t holdable = process_.filesOpenAtOnce();
    for (const std::string& path : paths) {
        DestructionTarget::Lookup lookup = DestructionTarget::find(files_, process_, path, HiddenFiles::Excluded);
        Found file{path, std::move(lookup.target), std::nullopt};
        if (file.target) {
            const FilePin& pin = file.target->pin;
            file.asked = Asked{pin.identity(), pin.sizeAtLookup(), doubtsOf(*file.target),
                               (pin.attributesAtLookup() & kAttrReadOnly) != 0};
            if (++held > holdable)
                file.target.reset();
        } else {
            const std::string why = lookup.error != 0 ? describeError(lookup.error) : listTexts::kNotFound;
            account_.failed.push_back(shownName(path) + ": " + why);
        }
        found.push_back(std::move(file));
    }
    return found;
}

bool ListRun::confirmed(std::vector<Found>& found) {
    std::vector<const Found*> known;
    listTexts::Question asked;
    std::vector<std::vector<std::string>> doubts;
    for (const Found& file : found) {
        if (file.asked) {
            known.push_back(&file);
            doubts.push_back(file.asked->doubts);
        }
    }
    std::stable_sort(known.begin(), known.end(),
                     [](const Found* a, const Found* b) { return a->asked->size > b->asked->size; });
    for (const Found* file : known) {
        asked.names.push_back(shownName(pathParts::nameOf(file->path, files_.pathSeparators())));
        asked.totalBytes += file->asked->size;
    }
    asked.doubts = gatheredDoubts(doubts);
    for (const FolderTree& tree : trees_)
        asked.folders.push_back(shownName(tree.root));
    // A folder may hold more than its owner remembers: "Nein" is the default there.
    const bool warn = !asked.doubts.empty() || !trees_.empty();
    const int style = warn ? kStyleWarningQuestion : kStyleQuestion;
    return progress_.messageBox(listTexts::question(asked), style, boxTexts::kConfirmationTitle) == kAnswerYes;
}

// Only the owner's write bit, which the question named; the disposal resets the rest.
bool ListRun::liftWriteProtection(Found& file) {
    if ((file.target->pin.attributesAtLookup() & kAttrReadOnly) == 0)
        return true;
    const SysStatus lifted = files_.addOwnerWrite(file.target->pin.handle());
    if (!lifted.ok()) {
        account_.failed.push_back(shownName(file.path) + ": " + describeError(lifted.error));
        file.target.reset();
    }
    return lifted.ok();
}

// A file let go after the question is held again only where its name still names the very file
// the question counted.
bool ListRun::heldAgain(Found& file) {
    if (file.target)
        return true;
    DestructionTarget::Lookup lookup = DestructionTarget::find(files_, process_, file.path, HiddenFiles::Excluded);
    std::string why;
    if (!lookup.target)
        why = lookup.error != 0 ? describeError(lookup.error) : listTexts::kNotFound;
    else if (!(lookup.target->pin.identity() == file.asked->identity))
        why = listTexts::kReplacedSinceQuestion;
    if (!why.empty()) {
        account_.failed.push_back(shownName(file.path) + ": " + why);
        return false;
    }
    file.target.emplace(std::move(*lookup.target));
    return true;
}

void ListRun::runAll(std::vector<Found>& found) {
    const PassModes modes{port_.isOptionSelected(0), port_.isOptionSelected(1)};
    const auto intensivePasses = static_cast<std::int64_t>(kIntensivePatterns.size());
    const std::int64_t passes = (modes.normal ? 1 : 0) + (modes.intensive ? intensivePasses : 0);
    std::int64_t weights = 0;
    std::int64_t bytes = 0;
    for (const Found& file : found) {
        if (file.asked) {
            weights += weightOf(file.asked->size);
            bytes += file.asked->size;
        }
    }
    ListView view(progress_, port_, process_, counters_, weights, passes, bytes);
    inProgress_ = true;
    progressDisplay::reset(progress_, port_);
    runClock::start(progress_, seconds_);
    progress_.setMousePointer(kPointerHourglass);
    // A request to end the program ends the file at hand safely; the others are left as they are.
    process_.holdStopRequests();
    for (Found& file : found) {
        if (!file.asked)
            continue;
        if (process_.stopRequested()) {
            account_.notReached.push_back(file.path);
            continue;
        }
        if (heldAgain(file) && liftWriteProtection(file))
            destroyOne(file, view, modes);
        else
            view.skipFile(weightOf(file.asked->size), file.asked->size);
    }
    const bool stopped = process_.stopRequested();
    if (!stopped)
        removeEmptiedFolders();
    progress_.setMousePointer(kPointerDefault);
    runClock::stop(progress_);
    port_.showFileAtHand("");
    port_.setWindowEnabled(true);
    inProgress_ = false;
    const bool allDestroyed = account_.destroyed == found.size() && account_.left.empty() && account_.namesKept.empty();
    if (allDestroyed) {
        progressDisplay::showFull(progress_);
        port_.setSuccessLabelVisible(true);
    }
    if (!stopped)
        showAccount(allDestroyed);
    process_.releaseStopRequests();
}

void ListRun::destroyOne(Found& file, ListView& view, PassModes modes) {
    const std::string path = file.path;
    const bool remedy = freeSpaceHoldsOldCopies(file.target->storage);
    view.beginFile(weightOf(file.asked->size), file.asked->size);
    port_.showFileAtHand(shownName(pathParts::nameOf(path, files_.pathSeparators())));
    Verdict verdict = Verdict::NotDestroyed;
    std::string escaped;
    try {
        verdict = kelvanter::vesk(CoreContext{view, view, files_, process_, clock_}, view.fileCounters(),
                                  std::move(*file.target), modes);
    } catch (const std::exception& error) {
        escaped = shownName(path) + ": " + boxTexts::cannotProcess(shownName(path), error.what());
    }
    file.target.reset();
    // The file's share of the bar is over, whatever became of it.
    view.advance(1.0);
    view.countBytes();
    if (verdict != Verdict::NotDestroyed)
        traces_.removeTracesOf(path);
    const std::string words =
        escaped.empty() ? joinedBoxes(view.reports(), path, port_.executableName(), process_.hasFullRights()) : escaped;
    if (verdict == Verdict::Destroyed)
        ++account_.destroyed;
    else if (verdict == Verdict::DeletedUnproven)
        account_.unproven.push_back(words);
    else
        account_.failed.push_back(words);
    if (verdict == Verdict::DeletedUnproven && remedy && !freeSpaceFolder_)
        freeSpaceFolder_ = pathParts::folderOf(path, files_.pathSeparators());
}

void ListRun::showAccount(bool allDestroyed) {
    progress_.messageBox(listTexts::account(account_), allDestroyed ? kStyleOkOnly : kStyleWarning,
                         boxTexts::kMessageTitle);
    // Where the old copies lie in free space, overwriting it is what removes them.
    if (freeSpaceFolder_ && progress_.messageBox(boxTexts::kOverwriteFreeSpaceNow, kStyleQuestionNoDefault,
                                                 boxTexts::kMessageTitle) == kAnswerYes)
        port_.openFreeSpaceWindow(*freeSpaceFolder_);
}

} // namespace kelvanter

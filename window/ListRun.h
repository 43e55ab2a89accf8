#pragma once

#include "core/ByteCounters.h"
#include "core/FolderTree.h"
#include "core/OverwritePasses.h"
#include "platform/Clock.h"
#include "platform/FileServices.h"
#include "window/FileTraces.h"
#include "window/ListTexts.h"
#include "window/ProgressPort.h"
#include "window/VeskPort.h"

#include <optional>
#include <string>
#include <vector>

namespace kelvanter {

// Several files, one after the other, through the one destroy flow: one question before, the bar,
// the percent and the estimate over all of them by bytes, and one account at the end.
class ListRun {
public:
    ListRun(ProgressPort& progress, VeskPort& port, DestructionServices& files, ProcessServices& process, Clock& clock,
            FileTraces& traces, ByteCounters& counters, std::int32_t& seconds)
        : progress_(progress), port_(port), files_(files), process_(process), clock_(clock), traces_(traces),
          counters_(counters), seconds_(seconds) {}

    void destroy(const std::vector<std::string>& paths);
    bool inProgress() const { return inProgress_; }
    // Whether the path names a folder itself, not through a link: it stands for the files beneath.
    bool namesFolder(const std::string& path);

private:
    // What the question told of a file found: it stands, even where the file was let go until its turn.
    struct Asked {
        FileIdentity identity;
        std::int64_t size = 0;
        std::vector<std::string> doubts;
        bool readOnly = false;
    };
    struct Found {
        std::string path;
        std::optional<DestructionTarget> target; // held from the lookup, or again from its turn
        std::optional<Asked> asked;              // for every file found
    };

    std::optional<FileIdentity> folderAt(const std::string& path);
    std::vector<std::string> withFoldersExpanded(const std::vector<std::string>& paths);
    void removeEmptiedFolders();
    std::vector<Found> lookUpAll(const std::vector<std::string>& paths);
    bool confirmed(std::vector<Found>& found);
    bool liftWriteProtection(Found& file);
    bool heldAgain(Found& file);
    void runAll(std::vector<Found>& found);
    void destroyOne(Found& file, class ListView& view, PassModes modes);
    void showAccount(bool allDestroyed);

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
    std::vector<FolderTree> trees_;              // the given folders, walked
    bool inProgress_ = false;
};

} // namespace kelvanter

#pragma once

#include "platform/FileServices.h"

#include <optional>
#include <string>
#include <vector>

namespace kelvanter {

// Why an in-place overwrite may not reach a file's old data: German fragments that complete the
// sentences of the boxes ("... überschrieben werden: <reason>.").
namespace proofReasons {
std::string writesElsewhere(const std::string& fileSystem);
std::string onNetworkOrOverlay(const std::string& fileSystem);
std::string onFlash(bool encrypted);
std::string inSyncedFolder(const std::string& provider);
inline constexpr const char* kJournalsContents = "das Dateisystem führt ein Journal der Dateiinhalte";
inline constexpr const char* kSharedBlocks = "ihre Blöcke gehören auch einer anderen Datei oder einem Snapshot";
inline constexpr const char* kCompressed = "sie ist komprimiert gespeichert";
inline constexpr const char* kLocationUnknown = "die Lage ihrer Daten auf dem Datenträger ist nicht bekannt";
inline constexpr const char* kBlocksMoved = "ihre Blöcke lagen nach dem Überschreiben an einer anderen Stelle";
inline constexpr const char* kReadBackDiffers = "der Datenträger lieferte beim Nachlesen nicht das geschriebene Muster";
} // namespace proofReasons

// The doubt that facts about the storage raise, or nothing where an in-place overwrite can hold;
// several reasons are named one after the other.
std::optional<std::string> doubtFrom(const SysResult<StorageFacts>& facts,
                                     const SysResult<std::vector<Extent>>& extents);

// Asks the file system; nothing when the file can be overwritten where its data lies.
std::optional<std::string> InPlaceOverwriteDoubt(FileServices& files, const std::string& path,
                                                 const FileIdentity& identity);

// Whether every byte of [0, length) that `before` placed on the device lies at the same place in `after`.
bool stillInPlace(const std::vector<Extent>& before, const std::vector<Extent>& after, std::int64_t length);

// The blocks read back: all of them up to 256, else 256 spread evenly, the first and the last included.
std::vector<std::int64_t> readBackOffsets(std::int64_t fileLength, std::int64_t blockSize);

// What the passes are measured against: where the file's data lay before the first of them.
class OverwriteProof {
public:
    static OverwriteProof before(FileServices& files, const std::string& path, const FileIdentity& identity,
                                 std::int64_t originalLength);

    // After the last pass has been flushed, before the cut: why the overwrite could not be
    // proven, or nothing when its place and its pattern on the device both held.
    std::optional<std::string> failureAfter(FileServices& files, const std::string& path, const FileIdentity& identity,
                                            unsigned char lastPattern) const;

private:
    std::optional<std::string> doubt_;
    std::optional<std::vector<Extent>> extents_; // none where the file system cannot tell
    std::int64_t originalLength_ = 0;
};

} // namespace kelvanter

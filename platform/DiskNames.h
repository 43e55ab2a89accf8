#pragma once

// The names the program writes to disk. They stay as they are: records and folders of earlier
// versions lie on users' disks under them, and a start must still know them.
namespace kelvanter::diskNames {

// The private folder beside a file, into which the emptied file is moved to be deleted, as earlier
// versions named it (its name now is random letters alone).
inline constexpr const char* kAsideFolderPrefix = ".kelvanter-entsorgung-";
// The fill's hidden folder inside the chosen folder, and the files it makes there.
inline constexpr const char* kFillFolderPrefix = ".kelvanter-fuellung-";
inline constexpr const char* kFillFilePrefix = "fuellung-";
inline constexpr const char* kProbeName = "probe";
// The program's folder in the user's state folder, and in it the records of running fills.
inline constexpr const char* kStateFolder = "kelvanter";
inline constexpr const char* kWindowsStateFolder = "Kelvanter"; // in the user's local application data
inline constexpr const char* kRecordsFolder = "fuellungen";
// And the records of disposals under way, each naming its private folder.
inline constexpr const char* kDisposalRecordsFolder = "entsorgungen";
// And those of the empty placeholder files a disposal on FAT makes for a moment beside the file.
inline constexpr const char* kPlaceholderRecordsFolder = "platzhalter";
// Windows's locks: one per volume in the state folder, one inside a fill folder.
inline constexpr const char* kVolumeLockPrefix = "fuellung-";
inline constexpr const char* kLockSuffix = ".sperre";

} // namespace kelvanter::diskNames

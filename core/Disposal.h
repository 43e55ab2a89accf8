#pragma once

#include "core/CoreContext.h"

namespace kelvanter {

// How far the disposal got. Nothing of it is shown to the user: the verdict comes from
// looking the path up afterwards, and from whether a ".del" file was left behind.
enum class DisposalOutcome { Deleted, FileNotFound, AttributesStuck, TruncateFailed, RenameFailed, DeleteFailed };

// The reset-and-check cycle gives up after this many rounds; the final lookup then decides.
inline constexpr int kMaxAttributeResets = 3;

// Cuts the file to zero bytes, renames it to its temporary name and deletes it. The path is the
// one vesk was given, as the file system names it (the path box shows only its text). Ends
// silently at the first failure; leaves the hourglass pointer on.
DisposalOutcome vesk_total(const CoreContext& context, const std::string& path, const FileIdentity& identity);

} // namespace kelvanter

#pragma once

#include "core/FillContext.h"
#include "core/HeldFolder.h"
#include "core/NamesInLog.h"

#include <string>

namespace kelvanter {

// A file system's log of its own metadata keeps old copies of folder blocks, and the names in
// them, until it comes round. Makes and removes files with long random names in the held fill
// folder at `fillPath`, in flushed batches, until the log has written more than its own size;
// bounded, served like the fill, and stopped by a cancel. Its files start with `filePrefix`, so
// the fill's cleanup takes whatever a kill leaves of them.
ChurnReport churnMetadataLog(const FillContext& context, HeldFolder& fill, const std::string& fillPath,
                             const std::string& filePrefix);

} // namespace kelvanter

#pragma once

#include "core/CoreContext.h"
#include "core/Disposal.h"
#include "core/RunReport.h"

#include <string>

namespace kelvanter {

enum class Verdict {
    NotDestroyed,
    Destroyed,       // the file is gone, and the device was seen to hold the overwrite
    DeletedUnproven, // the file is gone, but the overwrite could not be proven on the device
};

// Once the disposal is over: shows what became of the file at `path`, whose overwrite `unproven`
// says why it could not be proven (nothing where it was), and says it as the verdict.
Verdict verdictAfter(const CoreContext& context, const std::string& path, const DisposalResult& disposal,
                     const Doubts& unproven);

} // namespace kelvanter

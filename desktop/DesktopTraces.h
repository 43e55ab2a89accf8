#pragma once

#include "core/FileTraces.h"
#include "platform/Clock.h"
#include "platform/FileServices.h"

namespace kelvanter {

// The freedesktop desktop's thumbnails and recent-files entry of a destroyed file.
class DesktopTraces final : public FileTraces {
public:
    DesktopTraces(DestructionServices& files, DesktopServices& records, Clock& clock)
        : files_(files), records_(records), clock_(clock) {}
    void removeTracesOf(const std::string& path) override;

private:
    DestructionServices& files_;
    DesktopServices& records_;
    Clock& clock_;
};

} // namespace kelvanter

#pragma once

#include "platform/Clock.h"
#include "platform/FileServices.h"
#include "window/FileTraces.h"

namespace kelvanter {

// The freedesktop desktop's thumbnails and recent-files entry of a destroyed file.
class DesktopTraces final : public FileTraces {
public:
    DesktopTraces(DestructionServices& files, DesktopServices& records, ProcessServices& process, Clock& clock)
        : files_(files), records_(records), process_(process), clock_(clock) {}
    void removeTracesOf(const std::string& path) override;

private:
    DestructionServices& files_;
    DesktopServices& records_;
    ProcessServices& process_;
    Clock& clock_;
};

} // namespace kelvanter

#pragma once

#include <string>
#include <vector>

namespace tamberline {

// What the grid needs from parts of the program that come later: the
// network link, the output table, playlist reading, and the dialogs and
// tools a gesture opens. Until a part is plugged in its hook does nothing.
class GridHooks {
public:
    virtual ~GridHooks() = default;

    // The network link (whether it is up: LinkState).
    virtual void TellLinkLocksCleared() {}
    // "Master, controlling ..." or "Slave, controlled by ..." while linked.
    virtual std::string LinkTitle() const { return {}; }

    // The output table and playlist reading.
    virtual bool IsValidOutput(int /*row*/) const { return true; }
    virtual bool IsSonglistFile(const std::string& /*path*/) const { return false; }

    // Dialogs and tools.
    virtual void OpenSetupButton(int /*button*/) {}
    virtual void OpenBlockAssign(const std::vector<int>& /*buttons*/) {}
    virtual void EditSample(int /*button*/) {}
    virtual void OpenCdRipper(const std::vector<int>& /*tracks*/) {}
    // F1 when no button answers to it.
    virtual void OpenHelp() {}
};

}  // namespace tamberline

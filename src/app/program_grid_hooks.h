#pragma once

#include <string>

#include "app/grid_hooks.h"

namespace tamberline {

class HelpService;
class OutputsPart;

// The grid's hooks in the running program: output rows are checked against
// the outputs built at start-up, playlists are told by their endings, and
// F1 opens the help.
// Without outputs (tests) every output counts as valid.
class ProgramGridHooks final : public GridHooks {
public:
    void SetOutputs(const OutputsPart* outputs) { outputs_ = outputs; }
    void SetHelp(HelpService* help) { help_ = help; }

    bool IsValidOutput(int row) const override;
    bool IsSonglistFile(const std::string& path) const override;
    void OpenHelp() override;

private:
    const OutputsPart* outputs_ = nullptr;
    HelpService* help_ = nullptr;
};

}  // namespace tamberline

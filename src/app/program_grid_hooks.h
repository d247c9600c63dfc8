#pragma once

#include <string>

#include "app/grid_hooks.h"

namespace tamberline {

class OutputsPart;

// The grid's hooks in the running program: output rows are checked against
// the outputs built at start-up, and playlists are told by their endings.
// Without outputs (tests) every output counts as valid.
class ProgramGridHooks final : public GridHooks {
public:
    void SetOutputs(const OutputsPart* outputs) { outputs_ = outputs; }

    bool IsValidOutput(int row) const override;
    bool IsSonglistFile(const std::string& path) const override;

private:
    const OutputsPart* outputs_ = nullptr;
};

}  // namespace tamberline

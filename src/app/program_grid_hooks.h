#pragma once

#include <memory>
#include <string>

#include "app/grid_hooks.h"

namespace tamberline {

class ProgramParts;

// The grid's hooks in the running program: output rows are checked against
// the outputs built at start-up, and playlists are told by their endings.
// Without program parts (tests) every output counts as valid.
class ProgramGridHooks final : public GridHooks {
public:
    explicit ProgramGridHooks(const std::unique_ptr<ProgramParts>& parts) : parts_(parts) {}

    bool IsValidOutput(int row) const override;
    bool IsSonglistFile(const std::string& path) const override;

private:
    const std::unique_ptr<ProgramParts>& parts_;
};

}  // namespace tamberline

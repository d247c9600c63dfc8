#pragma once

#include "triggers/pbus/pbus_port.h"

namespace tamberline {

class RunController;

// A P-Bus line's starts and releases, run on the control thread in the
// order the lines came and, within a line, start before release.
class PbusRunTarget final : public PbusTarget {
public:
    explicit PbusRunTarget(RunController& run) : run_(run) {}
    void Act(const std::vector<PbusEffects::Action>& actions) override;

private:
    RunController& run_;
};

}  // namespace tamberline

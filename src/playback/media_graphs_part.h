#pragma once

#include <memory>
#include <vector>

#include "base/console_part.h"

namespace tamberline {

class MediaGraph;
class RunController;

// One media graph per button, created at start-up and handed to run
// control, released at teardown.
class MediaGraphsPart final : public ConsolePart {
public:
    explicit MediaGraphsPart(RunController& run);
    ~MediaGraphsPart() override;

    bool Start(StartStep step) override;
    void Teardown(TeardownStep step) override;

private:
    RunController& run_;
    std::vector<std::unique_ptr<MediaGraph>> graphs_;
};

}  // namespace tamberline

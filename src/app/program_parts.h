#pragma once

#include <memory>
#include <vector>

#include "playback/output_table.h"

namespace tamberline {

class Console;
class ConsolePart;
class ConsoleRunControl;
class HelpViewer;
class MessageBox;
class OutputsPart;
class PortSwitches;
class Registry;
class Session;

// The subsystems of the running program, each one console part, made and
// registered with the console in start-up order. A new subsystem adds its
// part here.
class ProgramParts {
public:
    struct Services {
        Registry& registry;
        MessageBox& box;
        HeaderMessageFn header;
        ConsoleRunControl& run;
        Session& session;
        PortSwitches& ports;
        HelpViewer& help;
    };

    explicit ProgramParts(const Services& services);
    ~ProgramParts();

    void RegisterWith(Console& console);
    OutputsPart& outputs() { return *outputs_; }
    const OutputsPart& outputs() const { return *outputs_; }

private:
    std::vector<std::unique_ptr<ConsolePart>> owned_;
    std::vector<ConsolePart*> order_;
    OutputsPart* outputs_ = nullptr;
};

}  // namespace tamberline

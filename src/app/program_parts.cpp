#include "app/program_parts.h"

#include "app/console.h"
#include "app/console_run_control.h"
#include "app/port_switches.h"
#include "app/run_control_part.h"
#include "help/help_service.h"
#include "playback/graph/media_library_part.h"
#include "playback/media_graphs_part.h"
#include "playback/outputs_part.h"

namespace tamberline {

ProgramParts::ProgramParts(const Services& services) {
    auto add = [this](std::unique_ptr<ConsolePart> part) {
        order_.push_back(part.get());
        owned_.push_back(std::move(part));
    };
    add(std::make_unique<MediaLibraryPart>(services.box));
    add(std::make_unique<MediaGraphsPart>(services.run.controller()));
    auto outputs = std::make_unique<OutputsPart>(services.registry, services.box, services.header,
                                                 services.run.controller());
    outputs_ = outputs.get();
    add(std::move(outputs));
    RunController& controller = services.run.controller();
    add(std::make_unique<RunControlPart>(
        services.run, services.session, services.box,
        [&controller](int from) { return controller.NextRunningGraphButton(from); }));
    // The trigger ports open after run control's thread runs, in the
    // switches' own order.
    order_.push_back(&services.ports);
    add(std::make_unique<HelpPart>(services.help));
}

ProgramParts::~ProgramParts() = default;

void ProgramParts::RegisterWith(Console& console) {
    for (ConsolePart* part : order_) {
        console.AddPart(*part);
    }
}

}  // namespace tamberline

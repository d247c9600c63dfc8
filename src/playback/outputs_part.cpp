#include "playback/outputs_part.h"

#include <QStandardPaths>

#include "playback/graph/outputs.h"
#include "playback/run_controller.h"
#include "playback/sound/portaudio_backend.h"

namespace tamberline {

OutputsPart::OutputsPart(Registry& registry, MessageBox& box, HeaderMessageFn header,
                         RunController& run)
    : registry_(registry),
      box_(box),
      header_(std::move(header)),
      run_(run),
      engine_(registry, box, [] { return std::make_unique<PortAudioBackend>(); }) {}

bool OutputsPart::Start(StartStep step) {
    if (step == StartStep::kOutputs) {
        Build();
    }
    return true;
}

void OutputsPart::Teardown(TeardownStep step) {
    if (step == TeardownStep::kAudioEngine) {
        engine_.ReleaseEngine();
    }
}

void OutputsPart::HardwareCheck() {
    if (engine_.EngineLost()) {
        Build();
    }
}

std::vector<std::string> OutputsPart::EngineDrivers() const {
    PortAudioBackend backend;
    return EngineDriverNames(backend);
}

void OutputsPart::Build() {
    // The engine is rebuilt: run control lets go of the old one first.
    run_.StopAll();
    run_.SetEngine(nullptr);
    run_.Drain();
    OutputServices services;
    services.engine = &engine_;
    services.catalog = &catalog_;
    services.registry = &registry_;
    services.messageBox = &box_;
    services.header = header_;
    services.tempFolder =
        QStandardPaths::writableLocation(QStandardPaths::TempLocation).toStdString();
    BuildOutputs(services, table_, list_);
    built_ = true;
    run_.SetCatalog(&catalog_);
    run_.SetOutputs(table_, list_);
    run_.SetEngine(engine_.Engine());
}

std::vector<int> OutputsPart::Rename(int index, const std::string& name) {
    std::vector<int> rows = RenameOutput(table_, list_, index, name, registry_);
    run_.SetOutputs(table_, list_);
    return rows;
}

}  // namespace tamberline

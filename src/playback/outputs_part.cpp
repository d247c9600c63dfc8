#include "playback/outputs_part.h"

#include <QStandardPaths>

#include "playback/graph/outputs.h"
#include "playback/run_controller.h"
#include "playback/sound/device_backends.h"
#include "playback/sound/jack_backend.h"

namespace tamberline {

OutputsPart::OutputsPart(Registry& registry, MessageBox& box, HeaderMessageFn header,
                         RunController& run, std::function<void()> deviceChanged)
    : registry_(registry),
      box_(box),
      header_(std::move(header)),
      run_(run),
      deviceChanged_(std::move(deviceChanged)),
      engine_(registry, box, [] { return std::make_unique<DeviceBackends>(); }),
      returnWatch_(&JackBackend::ServerRuns) {}

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

void OutputsPart::Tick(const TickState&) {
    if (engine_.EngineLost() && engine_.DriverName() == JackBackend::kDriverName) {
        returnWatch_.Arm();
    }
    if (returnWatch_.TakeReturn() && deviceChanged_) {
        deviceChanged_();
    }
}

void OutputsPart::HardwareCheck() {
    // Built while the device is still away, the outputs would find no such
    // driver and switch the engine off for good.
    if (engine_.EngineLost() && engine_.DriverListed()) {
        Build();
    }
}

std::vector<std::string> OutputsPart::EngineDrivers() const {
    DeviceBackends backend;
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

}  // namespace tamberline

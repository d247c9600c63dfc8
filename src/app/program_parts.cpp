#include "app/program_parts.h"

#include <gst/gst.h>
#include <QStandardPaths>
#include <algorithm>

#include "app/console_run_control.h"
#include "playback/graph/gstreamer.h"
#include "playback/graph/media_graph.h"
#include "playback/graph/outputs.h"
#include "playback/sound/portaudio_backend.h"

namespace tamberline {

namespace {

constexpr int kButtons = 336;

// The elements every media graph is built from.
constexpr const char* kRequiredElements[] = {"uridecodebin", "audioconvert", "audioresample",
                                             "volume", "audiopanorama"};

}  // namespace

ProgramParts::ProgramParts(Registry& registry, MessageBox& box, HeaderMessageFn header,
                           ConsoleRunControl* run)
    : registry_(registry),
      box_(box),
      header_(std::move(header)),
      run_(run),
      engine_(registry, box, [] { return std::make_unique<PortAudioBackend>(); }) {}

std::vector<std::string> ProgramParts::EngineDrivers() const {
    PortAudioBackend backend;
    return EngineDriverNames(backend);
}

ProgramParts::~ProgramParts() = default;

bool ProgramParts::InitialiseMediaLibrary() {
    return EnsureGStreamer();
}

bool ProgramParts::MediaFrameworkPresent() {
    for (const char* name : kRequiredElements) {
        GstElementFactory* factory = gst_element_factory_find(name);
        if (!factory) {
            return false;
        }
        gst_object_unref(factory);
    }
    return true;
}

void ProgramParts::CreateMediaGraphs() {
    graphs_.reserve(kButtons);
    MediaEventSink* sink = run_ ? &run_->controller() : nullptr;
    std::vector<MediaGraph*> graphs;
    for (int button = 0; button < kButtons; ++button) {
        graphs_.push_back(std::make_unique<MediaGraph>(button, sink));
        graphs.push_back(graphs_.back().get());
    }
    if (run_) {
        run_->controller().SetGraphs(std::move(graphs));
        run_->controller().SetCatalog(&catalog_);
    }
}

void ProgramParts::BuildOutputs() {
    if (run_) {
        // The engine is rebuilt: run control lets go of the old one first.
        run_->controller().StopAll();
        run_->controller().SetEngine(nullptr);
        run_->controller().Drain();
    }
    OutputServices services;
    services.engine = &engine_;
    services.catalog = &catalog_;
    services.registry = &registry_;
    services.messageBox = &box_;
    services.header = header_;
    services.tempFolder =
        QStandardPaths::writableLocation(QStandardPaths::TempLocation).toStdString();
    tamberline::BuildOutputs(services, table_, list_);
    outputsBuilt_ = true;
    if (run_) {
        run_->controller().SetOutputs(table_, list_);
        run_->controller().SetEngine(engine_.Engine());
    }
}

void ProgramParts::StartStartWorker() {
    if (run_) {
        run_->controller().StartTicking();
    }
}

void ProgramParts::StopAll() {
    if (run_) {
        run_->StopAll();
        run_->controller().Drain();
    }
}

void ProgramParts::StopStartWorker() {
    if (run_) {
        run_->controller().SetShuttingDown();
        run_->controller().Shutdown();
    }
}

int ProgramParts::NextRunningGraphButton(int from) {
    if (run_) {
        return run_->controller().NextRunningGraphButton(from);
    }
    for (int button = std::max(from, 0); button < static_cast<int>(graphs_.size()); ++button) {
        if (graphs_[static_cast<size_t>(button)]->GetState() == GraphState::kRunning) {
            return button;
        }
    }
    return -1;
}

void ProgramParts::ReleaseMediaGraphs() {
    graphs_.clear();
}

}  // namespace tamberline

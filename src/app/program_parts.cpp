#include "app/program_parts.h"

#include <gst/gst.h>
#include <QStandardPaths>
#include <algorithm>

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

ProgramParts::ProgramParts(Registry& registry, MessageBox& box, HeaderMessageFn header)
    : registry_(registry),
      box_(box),
      header_(std::move(header)),
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
    for (int button = 0; button < kButtons; ++button) {
        graphs_.push_back(std::make_unique<MediaGraph>(button, nullptr));
    }
}

void ProgramParts::BuildOutputs() {
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
}

int ProgramParts::NextRunningGraphButton(int from) {
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

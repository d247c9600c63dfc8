#include "playback/button_runner.h"

#include <algorithm>
#include <cmath>

#include "playback/engine_voice.h"
#include "playback/graph/media_graph.h"
#include "playback/sound/sound_system.h"

namespace tamberline {

ButtonRunner::ButtonRunner(ControlThread& control, const RunServices& services)
    : services_(services), requests_(control, *this) {
    if (!services_.link) {
        services_.link = &nullLink_;
    }
    if (!services_.midiOut) {
        services_.midiOut = &nullMidi_;
    }
}

ButtonRunner::~ButtonRunner() = default;

void ButtonRunner::SetOutputs(const OutputTable& table, const OutputList& list) {
    table_ = table;
    list_ = list;
}

void ButtonRunner::LoadRecord(int button, const ButtonRecord& record, uint32_t version) {
    if (!Valid(button) || Defer(button, false, [this, button, record, version] {
            LoadRecord(button, record, version);
        })) {
        return;
    }
    const ButtonRunState& s = states_[Index(button)];
    const ButtonRecord& old = records_[Index(button)];
    // Never leave a sound playing for a button that no longer names it.
    if ((s.running || s.paused) && (!IsAssigned(record) || PathOf(record) != PathOf(old))) {
        StopButton(button);
    }
    records_[Index(button)] = record;
    versions_[Index(button)] = version;
    states_[Index(button)].fileSeen.reset();
}

void ButtonRunner::ExamineRecord(int button, const ButtonRecord& record, Examined then) {
    if (!Valid(button)) {
        then(kFileMissing, record);
        return;
    }
    if (Defer(button, false,
              [this, button, record, then] { ExamineRecord(button, record, then); })) {
        return;
    }
    if (states_[Index(button)].running || states_[Index(button)].paused) {
        StopButton(button);
    }
    const ButtonRecord keptRecord = records_[Index(button)];
    const ButtonRunState keptState = states_[Index(button)];
    records_[Index(button)] = record;
    states_[Index(button)].fileSeen.reset();
    examining_[Index(button)] = true;
    PrepareButton(button, false, [this, button, keptRecord, keptState, then](int code) {
        const ButtonRecord learnt = records_[Index(button)];
        examining_[Index(button)] = false;
        ReleaseButtonMedia(button);
        records_[Index(button)] = keptRecord;
        // Songlist, segments and clocks of the examined file go with it.
        states_[Index(button)] = keptState;
        states_[Index(button)].fileSeen.reset();
        Publish(button);
        then(code, learnt);
    });
}

bool ButtonRunner::Defer(int button, bool start, std::function<void()> command) {
    if (!busy_[Index(button)]) {
        return false;
    }
    deferred_[Index(button)].push_back({start, std::move(command)});
    return true;
}

void ButtonRunner::ReplayDeferred(int button) {
    auto& waiting = deferred_[Index(button)];
    while (!busy_[Index(button)] && !waiting.empty()) {
        const std::function<void()> command = std::move(waiting.front().command);
        waiting.pop_front();
        command();
    }
}

int ButtonRunner::StartGroupOf(int button) const {
    if (!Valid(button)) {
        return 0;
    }
    const int group = records_[Index(button)].startGroup;
    return group <= kStartGroupCount ? group : 0;
}

MediaGraph* ButtonRunner::Graph(int button) const {
    return Index(button) < graphs_.size() ? graphs_[Index(button)] : nullptr;
}

bool ButtonRunner::ChannelPlays(ChannelId channel) const {
    bool playing = false;
    return engine_ && engine_->IsPlaying(channel, playing) == SoundResult::kOk && playing;
}

void ButtonRunner::Publish(int button) {
    const ButtonRunState& s = states_[Index(button)];
    uint32_t flags = (s.running ? view::kRunning : 0) | (s.paused ? view::kPaused : 0) |
                     (s.fadeInActive ? view::kFadingIn : 0) |
                     (s.fadeOutActive ? view::kFadingOut : 0) | (s.locked ? view::kLocked : 0) |
                     (s.IsSegmented() ? view::kSegments : 0);
    flags |= static_cast<uint32_t>(std::min<size_t>(s.songlist.size(), 0xFFFFFF))
             << view::kSongsShift;
    PublishedRun& p = published_[Index(button)];
    p.remainingMs.store(s.remainingMs, std::memory_order_relaxed);
    p.playedMs.store(s.playedMs, std::memory_order_relaxed);
    p.flags.store(flags, std::memory_order_release);
}

void ButtonRunner::ReportRecord(int button) {
    if (services_.host && !examining_[Index(button)]) {
        services_.host->RecordChanged(button, records_[Index(button)], versions_[Index(button)]);
    }
}

void ButtonRunner::SetPlayedMs(int button, uint32_t ms) {
    if (Valid(button) && !Defer(button, false, [this, button, ms] { SetPlayedMs(button, ms); })) {
        states_[Index(button)].playedMs = ms;
        Publish(button);
    }
}

void ButtonRunner::SetReleaseToEnd(int button) {
    if (Valid(button) && !Defer(button, false, [this, button] { SetReleaseToEnd(button); })) {
        states_[Index(button)].releaseToEnd = true;
    }
}

void ButtonRunner::ClearBuzzerLocks() {
    for (int i = 0; i < kButtonCount; ++i) {
        if (states_[Index(i)].locked) {
            states_[Index(i)].locked = false;
            Publish(i);
        }
    }
}

void ButtonRunner::ApplyOutputRouting(int button) {
    const ButtonRunState& s = states_[Index(button)];
    if (!engine_ || !s.channel) {
        return;
    }
    const ButtonRecord& r = records_[Index(button)];
    RouteEngineVoice(*engine_, s.channel, s.soundChannels, r.output, r.pan);
}

void ButtonRunner::ReleaseButtonMedia(int button) {
    ButtonRunState& s = states_[Index(button)];
    if (s.sound && engine_) {
        int subSounds = 0;
        engine_->GetNumSubSounds(s.sound, subSounds);
        for (int k = 0; k < subSounds; ++k) {
            SoundId sub;
            if (engine_->GetSubSound(s.sound, k, sub) == SoundResult::kOk && sub) {
                engine_->ReleaseSound(sub);
            }
        }
        engine_->ReleaseSound(s.sound);
    }
    s.sound = {};
    s.channel = {};
    s.rawFile.reset();
    s.onAudioEngine = false;
    if (s.onMediaGraph) {
        s.onMediaGraph = false;
        MediaGraph* graph = Graph(button);
        if (graph == nullptr) {
            return;
        }
        graph->Stop();
        if (!graph->FadingOut()) {
            graph->RemoveAll();
            return;
        }
        // Emptying the graph waits for its stop to fade out: that is file
        // work, and later commands for this button wait behind it.
        busy_[Index(button)] = true;
        RunFileWork([graph] { graph->RemoveAll(); },
                    [this, button] {
                        busy_[Index(button)] = false;
                        ReplayDeferred(button);
                    });
    }
}

float ButtonRunner::CurrentLevel(int button) const {
    const ButtonRunState& s = states_[Index(button)];
    if (s.onAudioEngine) {
        float volume = 0.0f;
        if (!engine_ || engine_->GetVolume(s.channel, volume) != SoundResult::kOk) {
            return kSilentLevel;
        }
        return volume <= 0.0f ? kSilentLevel : 1000.0f * std::log10(volume);
    }
    MediaGraph* graph = Graph(button);
    return graph ? static_cast<float>(graph->GetVolume()) : kSilentLevel;
}

void ButtonRunner::SetLevel(int button, float level) {
    const ButtonRunState& s = states_[Index(button)];
    if (s.onAudioEngine) {
        if (engine_) {
            engine_->SetVolume(s.channel, EngineVolume(level));
        }
    } else if (MediaGraph* graph = Graph(button)) {
        graph->PutVolume(static_cast<long>(level));
    }
}

void ButtonRunner::MidiNote(int button, bool on) {
    const ButtonRecord& r = records_[Index(button)];
    MidiOutQueue& midi = *services_.midiOut;
    // Notes above 127 (a damaged record) would spill into the velocity.
    if (!midi.enabled() || r.midiNote == 0 || r.midiNote > 127) {
        return;
    }
    const uint32_t status = on ? 0x90 : 0x80;
    const uint32_t data = (uint32_t{r.midiNote} << 8) | (127u << 16);
    std::array<uint32_t, 16> messages{};
    size_t count = 0;
    if (r.midiChannel >= 1 && r.midiChannel <= 16) {
        messages[count++] = (status + (r.midiChannel - 1u)) | data;
    } else {
        for (uint32_t channel = 0; channel < 16; ++channel) {
            messages[count++] = (status + channel) | data;
        }
    }
    midi.Queue(std::span(messages.data(), count));
}

int ButtonRunner::NextRunningGraphButton(int from) const {
    for (int i = std::max(from, 0); i < kButtonCount; ++i) {
        const MediaGraph* graph = Graph(i);
        // A graph in the file work's hands is not running yet.
        if (graph && !busy_[Index(i)] && graph->GetState() == GraphState::kRunning) {
            return i;
        }
    }
    return -1;
}

}  // namespace tamberline

// Start groups on the audio engine: the members' files are prepared one by
// one on the I/O workers, so each member is held paused as it comes up and
// the engine unpauses them all on one output frame once every member has
// come or dropped out. Stems of one cue then never start apart.
#include "playback/button_runner.h"
#include "playback/sound/sound_system.h"

namespace tamberline {

namespace {

// A member whose file is still not ready by then holds up the others no
// longer: those held start, and the late one starts on its own.
constexpr uint32_t kGroupStartWaitMs = 1000;

}  // namespace

bool ButtonRunner::OnEngineOutput(int button) const {
    const int entry = OutputEntryOf(records_[Index(button)]);
    return entry >= 0 && table_.entries[static_cast<size_t>(entry)].onAudioEngine;
}

// A fresh start on the engine that is about to start its group's other
// members: they are gathered with it.
void ButtonRunner::BeginGroupStart(int button) {
    const int group = StartGroupOf(button);
    if (group == 0 || !requests_.IsArmed(group)) {
        return;
    }
    GroupStart& gathering = groupStarts_[static_cast<size_t>(group)];
    if (gathering.active) {
        return;  // the group's last start is still gathering
    }
    gathering = {};
    for (int i = 0; i < kButtonCount; ++i) {
        const ButtonRunState& s = states_[Index(i)];
        if (i != button && StartGroupOf(i) == group && !s.running && !s.paused && CanStart(i) &&
            OnEngineOutput(i)) {
            gathering.waiting.set(Index(i));
        }
    }
    if (gathering.waiting.none()) {
        return;
    }
    gathering.active = true;
    gathering.waiting.set(Index(button));
}

bool ButtonRunner::GatheredForGroup(int button) const {
    const int group = StartGroupOf(button);
    return group != 0 && groupStarts_[static_cast<size_t>(group)].active &&
           groupStarts_[static_cast<size_t>(group)].waiting.test(Index(button));
}

bool ButtonRunner::HoldForGroup(int button) {
    const int group = StartGroupOf(button);
    GroupStart* gathering = group != 0 ? &groupStarts_[static_cast<size_t>(group)] : nullptr;
    if (gathering == nullptr || !gathering->active || !gathering->waiting.test(Index(button))) {
        return false;
    }
    gathering->waiting.reset(Index(button));
    gathering->held.push_back(button);
    heldForGroup_[Index(button)] = true;
    return true;
}

void ButtonRunner::DropFromGroup(int button) {
    const int group = StartGroupOf(button);
    if (group == 0) {
        return;
    }
    GroupStart& gathering = groupStarts_[static_cast<size_t>(group)];
    if (!gathering.active) {
        return;
    }
    gathering.waiting.reset(Index(button));
    std::erase(gathering.held, button);
    heldForGroup_[Index(button)] = false;
    if (gathering.waiting.none()) {
        FinishGroupStart(group);
    }
}

void ButtonRunner::FinishGroupStart(int group) {
    GroupStart& gathering = groupStarts_[static_cast<size_t>(group)];
    if (!gathering.active || !gathering.waiting.none()) {
        return;
    }
    std::vector<ChannelId> channels;
    for (int button : gathering.held) {
        heldForGroup_[Index(button)] = false;
        const ButtonRunState& s = states_[Index(button)];
        if (s.running && s.onAudioEngine) {
            channels.push_back(s.channel);
        }
    }
    gathering = {};
    if (!engine_ || channels.empty() || engine_->StartTogether(channels) == SoundResult::kOk) {
        return;
    }
    for (ChannelId channel : channels) {
        engine_->SetPaused(channel, false);
    }
}

void ButtonRunner::AgeGroupStarts(uint32_t elapsedMs) {
    for (int group = 1; group <= kStartGroupCount; ++group) {
        GroupStart& gathering = groupStarts_[static_cast<size_t>(group)];
        if (gathering.active && (gathering.ageMs += elapsedMs) >= kGroupStartWaitMs) {
            gathering.waiting.reset();
            FinishGroupStart(group);
        }
    }
}

void ButtonRunner::ForgetGroupStarts() {
    groupStarts_ = {};
    heldForGroup_ = {};
}

}  // namespace tamberline

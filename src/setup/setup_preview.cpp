#include "setup/setup_preview.h"

#include <algorithm>

#include "playback/run_state.h"

namespace tamberline {

bool SetupPreview::Play(const PreviewSettings& settings) {
    if (state_ == State::kPausedAfterFade) {
        settings_.volume = settings.volume;
        level_ = static_cast<double>(TargetLevel());
        player_.SetLevel(Level());
        state_ = State::kPlaying;
        run_ = RunLogEntry{LocalDateTime::Now(), 0, settings_.files[static_cast<size_t>(entry_)]};
        running_ = true;
        return player_.Play();
    }
    Stop();
    settings_ = settings;
    if (settings_.files.empty() || !OpenEntry(0)) {
        return false;
    }
    run_ = RunLogEntry{LocalDateTime::Now(), 0, settings_.files.front()};
    running_ = true;
    state_ = State::kPlaying;
    return true;
}

bool SetupPreview::OpenEntry(int entry) {
    entry_ = entry;
    if (!player_.Load(settings_.files[static_cast<size_t>(entry)], settings_.output)) {
        return false;
    }
    const double rate = player_.SetRate(Rate());
    settings_.varispeed = static_cast<int>(rate * 100.0 + 0.5);
    player_.SetPan(settings_.pan);
    player_.SetLoop(LoopsEntry());
    fadingIn_ = settings_.fadeIn > 0;
    if (fadingIn_) {
        int32_t fadeMs = settings_.fadeIn * 100;
        if (!settings_.loop) {
            fadeMs = std::min(fadeMs, EntryRemainingMs());
        }
        fadeMs = std::max(fadeMs, 1);
        level_ = static_cast<double>(kFadeFloorCb);
        fadeInRate_ = static_cast<double>(TargetLevel() - kFadeFloorCb) / fadeMs;
    } else {
        level_ = static_cast<double>(TargetLevel());
    }
    player_.SetLevel(Level());
    return player_.Play();
}

void SetupPreview::Stop() {
    if (state_ == State::kIdle) {
        return;
    }
    player_.Release();
    state_ = State::kIdle;
    fadingIn_ = false;
    LogRun();
}

void SetupPreview::LogRun() {
    if (running_ && log_) {
        log_->AppendRunLogLine(run_, settings_.caption);
    }
    running_ = false;
}

int32_t SetupPreview::EntryRemainingMs() const {
    const int32_t left = std::max(player_.DurationMs() - player_.PositionMs(), 0);
    return static_cast<int32_t>(left / std::max(Rate(), 0.01));
}

int32_t SetupPreview::RemainingMs() const {
    if (state_ == State::kIdle) {
        return 0;
    }
    int64_t total = EntryRemainingMs();
    for (size_t k = static_cast<size_t>(entry_) + 1; k < settings_.lengthsMs.size(); ++k) {
        total += settings_.lengthsMs[k];
    }
    return static_cast<int32_t>(std::min<int64_t>(total, INT32_MAX));
}

void SetupPreview::StartFadeOut(int32_t overMs) {
    state_ = State::kFadingOut;
    fadingIn_ = false;
    fadeOutRate_ = (level_ - kFadeFloorCb) / std::max(overMs, 1);
}

void SetupPreview::Tick(uint32_t elapsedMs) {
    if (!IsPlaying()) {
        return;
    }
    if (running_) {
        run_.runMs += elapsedMs;
    }
    if (player_.TakeEnded()) {
        if (state_ == State::kFadingOut && settings_.pauseAfterFade) {
            HoldAfterFade();
        } else {
            EndOfEntry();
        }
        return;
    }
    const bool lastEntry = static_cast<size_t>(entry_) + 1 >= settings_.files.size();
    if (state_ == State::kPlaying && !settings_.loop && lastEntry && settings_.fadeOut > 0 &&
        EntryRemainingMs() <= settings_.fadeOut * 100) {
        StartFadeOut(EntryRemainingMs());
    }
    if (fadingIn_) {
        level_ = std::min(level_ + elapsedMs * fadeInRate_, static_cast<double>(TargetLevel()));
        fadingIn_ = level_ < TargetLevel();
        player_.SetLevel(Level());
    }
    if (state_ == State::kFadingOut) {
        level_ -= elapsedMs * fadeOutRate_;
        player_.SetLevel(Level());
        if (level_ < kFadeFloorCb || fadeOutRate_ <= 0) {
            if (settings_.pauseAfterFade) {
                HoldAfterFade();
            } else {
                Stop();
            }
        }
    }
}

void SetupPreview::HoldAfterFade() {
    player_.Pause();
    state_ = State::kPausedAfterFade;
    LogRun();
}

void SetupPreview::EndOfEntry() {
    if (LoopsEntry()) {
        player_.Rewind();
        player_.Play();
        return;
    }
    if (static_cast<size_t>(entry_) + 1 < settings_.files.size()) {
        if (OpenEntry(entry_ + 1)) {
            state_ = State::kPlaying;
            return;
        }
    } else if (settings_.loop && OpenEntry(0)) {
        return;
    }
    Stop();
}

void SetupPreview::SetVolume(int volume) {
    settings_.volume = volume;
    if (IsPlaying() && !fadingIn_ && state_ != State::kFadingOut) {
        level_ = static_cast<double>(TargetLevel());
        player_.SetLevel(Level());
    }
}

void SetupPreview::SetPan(int pan) {
    settings_.pan = pan;
    if (state_ != State::kIdle) {
        player_.SetPan(pan);
    }
}

int SetupPreview::SetVarispeed(int varispeed) {
    settings_.varispeed = varispeed;
    if (state_ == State::kIdle) {
        return varispeed;
    }
    const double rate = player_.SetRate(Rate());
    settings_.varispeed = std::clamp(static_cast<int>(rate * 100.0 + 0.5), 10, 190);
    return settings_.varispeed;
}

void SetupPreview::SetLoop(bool loop) {
    settings_.loop = loop;
    if (state_ != State::kIdle) {
        player_.SetLoop(LoopsEntry());
    }
}

void SetupPreview::SetPauseAfterFade(bool on) {
    settings_.pauseAfterFade = on;
    if (!on && state_ == State::kPausedAfterFade) {
        Stop();
    }
}

}  // namespace tamberline

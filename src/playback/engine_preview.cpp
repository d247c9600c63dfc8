#include "playback/engine_preview.h"

#include <algorithm>
#include <future>
#include <memory>

#include "playback/engine_voice.h"
#include "playback/sound/sound_system.h"

namespace tamberline {

namespace {

// The caller may give up waiting: what the control thread writes lives in
// shared state, never on the caller's stack.
template <typename T>
struct Reply {
    T value{};
    std::promise<void> done;
};

bool Answered(std::future<void>& done, std::chrono::milliseconds wait) {
    return done.wait_for(wait) == std::future_status::ready;
}

}  // namespace

bool EnginePreview::Run(std::function<void()> call) {
    if (!post_) {
        call();
        return true;
    }
    return post_(std::move(call));
}

void EnginePreview::SetEngine(SoundSystem* engine) {
    // A preview playing on the engine that goes has ended.
    const bool wasPlaying = started_;
    Free();
    engine_ = engine;
    ended_.store(wasPlaying, std::memory_order_release);
}

void EnginePreview::Tick() {
    if (!engine_ || !channel_) {
        return;
    }
    uint32_t position = 0;
    if (engine_->GetPosition(channel_, position, TimeUnit::kMs) == SoundResult::kOk) {
        positionMs_.store(static_cast<int32_t>(std::min<uint32_t>(position, INT32_MAX)),
                          std::memory_order_relaxed);
    }
    bool playing = false;
    engine_->IsPlaying(channel_, playing);
    if (started_ && !playing) {
        started_ = false;
        ended_.store(true, std::memory_order_release);
    }
}

bool EnginePreview::Open(const std::string& path, int output, std::chrono::milliseconds wait) {
    // The file is opened here, never on the control thread; it is read
    // through the engine's own reader.
    auto reader = std::make_shared<Reply<std::shared_ptr<FileReader>>>();
    auto haveEngine = std::make_shared<std::atomic<bool>>(false);
    std::future<void> readerKnown = reader->done.get_future();
    if (!Run([this, reader, haveEngine] {
            Free();
            if (engine_) {
                haveEngine->store(true);
                reader->value = engine_->fileReader();
            }
            reader->done.set_value();
        }) ||
        !Answered(readerKnown, wait) || !haveEngine->load()) {
        return false;
    }
    std::shared_ptr<sound::SoundSource> source;
    if (SoundSystem::OpenStreamFile(path, reader->value, source) != SoundResult::kOk) {
        return false;
    }
    auto started = std::make_shared<Reply<bool>>();
    std::future<void> startKnown = started->done.get_future();
    if (!Run([this, started, source, output] {
            started->value = Start(source, output);
            started->done.set_value();
        }) ||
        !Answered(startKnown, wait)) {
        return false;
    }
    return started->value;
}

bool EnginePreview::Start(const std::shared_ptr<sound::SoundSource>& source, int output) {
    Free();
    if (!engine_ || engine_->CreateStream(source, LoopMode::kOff, sound_) != SoundResult::kOk) {
        sound_ = {};
        return false;
    }
    SoundFormatInfo info;
    engine_->GetFormat(sound_, info);
    soundChannels_ = info.channels;
    uint32_t length = 0;
    engine_->GetLength(sound_, TimeUnit::kMs, length);
    if (engine_->PlaySound(sound_, true, channel_) != SoundResult::kOk ||
        engine_->GetFrequency(channel_, baseFrequency_) != SoundResult::kOk) {
        Free();
        return false;
    }
    output_ = output;
    levelCb_ = -10000.0f;
    ApplyVoice();
    lengthMs_.store(static_cast<int32_t>(std::min<uint32_t>(length, INT32_MAX)),
                    std::memory_order_relaxed);
    return true;
}

// Everything a fresh channel needs to play as the button would.
void EnginePreview::ApplyVoice() {
    RouteEngineVoice(*engine_, channel_, soundChannels_, output_, pan_);
    SetEngineSpeed(*engine_, channel_, baseFrequency_, varispeed_);
    SetEngineLoop(*engine_, sound_, channel_, loop_);
    engine_->SetVolume(channel_, EngineVolume(levelCb_));
}

void EnginePreview::Free() {
    if (engine_ && sound_) {
        engine_->ReleaseSound(sound_);
    }
    sound_ = {};
    channel_ = {};
    started_ = false;
    lengthMs_.store(0, std::memory_order_relaxed);
    positionMs_.store(0, std::memory_order_relaxed);
    ended_.store(false, std::memory_order_release);
}

void EnginePreview::Play() {
    Run([this] {
        if (engine_ && channel_) {
            started_ = engine_->SetPaused(channel_, false) == SoundResult::kOk;
        }
    });
}

void EnginePreview::Pause() {
    Run([this] {
        if (engine_ && channel_) {
            engine_->SetPaused(channel_, true);
        }
    });
}

void EnginePreview::Rewind() {
    Run([this] {
        if (!engine_ || !sound_) {
            return;
        }
        // Playing the sound again gives a fresh channel at its start, also
        // after it has played out.
        started_ = false;
        if (engine_->PlaySound(sound_, true, channel_) != SoundResult::kOk) {
            channel_ = {};
            return;
        }
        ApplyVoice();
        positionMs_.store(0, std::memory_order_relaxed);
    });
}

void EnginePreview::Release() {
    Run([this] { Free(); });
}

void EnginePreview::SetLevel(long levelCb) {
    Run([this, levelCb] {
        levelCb_ = static_cast<float>(levelCb);
        if (engine_ && channel_) {
            engine_->SetVolume(channel_, EngineVolume(levelCb_));
        }
    });
}

void EnginePreview::SetPan(int pan) {
    Run([this, pan] {
        pan_ = pan;
        if (engine_ && channel_) {
            RouteEngineVoice(*engine_, channel_, soundChannels_, output_, pan_);
        }
    });
}

void EnginePreview::SetVarispeed(int varispeed) {
    Run([this, varispeed] {
        varispeed_ = varispeed;
        if (engine_ && channel_) {
            SetEngineSpeed(*engine_, channel_, baseFrequency_, varispeed_);
        }
    });
}

void EnginePreview::SetLoop(bool loop) {
    Run([this, loop] {
        loop_ = loop;
        if (engine_ && channel_) {
            SetEngineLoop(*engine_, sound_, channel_, loop_);
        }
    });
}

}  // namespace tamberline

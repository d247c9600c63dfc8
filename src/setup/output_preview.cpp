#include "setup/output_preview.h"

#include <algorithm>

#include "playback/engine_preview.h"

namespace tamberline {

bool OutputPreviewPlayer::Load(const std::string& path, int output) {
    Release();
    onEngine_ = IsEngineRow(output);
    if (!onEngine_) {
        return graph_.Load(path, output);
    }
    return engine_ != nullptr && engine_->Open(path, output);
}

int32_t OutputPreviewPlayer::DurationMs() const {
    return onEngine_ ? (engine_ ? engine_->DurationMs() : 0) : graph_.DurationMs();
}

int32_t OutputPreviewPlayer::PositionMs() const {
    return onEngine_ ? (engine_ ? engine_->PositionMs() : 0) : graph_.PositionMs();
}

bool OutputPreviewPlayer::Play() {
    if (!onEngine_) {
        return graph_.Play();
    }
    if (engine_) {
        engine_->Play();
    }
    return engine_ != nullptr;
}

void OutputPreviewPlayer::Pause() {
    if (!onEngine_) {
        graph_.Pause();
    } else if (engine_) {
        engine_->Pause();
    }
}

void OutputPreviewPlayer::Rewind() {
    if (!onEngine_) {
        graph_.Rewind();
    } else if (engine_) {
        engine_->Rewind();
    }
}

void OutputPreviewPlayer::Release() {
    // Both: the output may have changed since the last load.
    graph_.Release();
    if (engine_ && onEngine_) {
        engine_->Release();
    }
}

void OutputPreviewPlayer::SetLevel(long level) {
    if (!onEngine_) {
        graph_.SetLevel(level);
    } else if (engine_) {
        engine_->SetLevel(level);
    }
}

void OutputPreviewPlayer::SetPan(int pan) {
    if (!onEngine_) {
        graph_.SetPan(pan);
    } else if (engine_) {
        engine_->SetPan(pan);
    }
}

double OutputPreviewPlayer::SetRate(double rate) {
    if (!onEngine_) {
        return graph_.SetRate(rate);
    }
    // The engine plays any speed of the varispeed range.
    const int varispeed = std::clamp(static_cast<int>(rate * 100.0 + 0.5), 10, 190);
    if (engine_) {
        engine_->SetVarispeed(varispeed);
    }
    return varispeed / 100.0;
}

bool OutputPreviewPlayer::TakeEnded() {
    if (!onEngine_) {
        return graph_.TakeEnded();
    }
    return engine_ && engine_->TakeEnded();
}

void OutputPreviewPlayer::SetLoop(bool loop) {
    if (onEngine_ && engine_) {
        engine_->SetLoop(loop);
    }
}

}  // namespace tamberline

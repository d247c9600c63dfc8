#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "playback/sound/audio_backend.h"

namespace tamberline::testing {

// A device family with the given drivers; opening fails when asked to.
class FakeBackend final : public AudioBackend {
public:
    FakeBackend(std::vector<std::string> drivers, bool openFails, int outputs = 8)
        : drivers_(std::move(drivers)), openFails_(openFails), outputs_(outputs) {}

    SoundResult DriverCount(int& count) override {
        count = static_cast<int>(drivers_.size());
        return SoundResult::kOk;
    }
    SoundResult DriverName(int index, std::string& name) override {
        if (index < 0 || index >= static_cast<int>(drivers_.size())) {
            return SoundResult::kErrInvalidParam;
        }
        name = drivers_[static_cast<size_t>(index)];
        return SoundResult::kOk;
    }
    SoundResult Open(int, int channels, AudioSink&, BackendFormat& format) override {
        if (openFails_) {
            return SoundResult::kErrOutput;
        }
        format = {48000, std::min(channels, outputs_)};
        return SoundResult::kOk;
    }
    SoundResult Start() override { return SoundResult::kOk; }
    bool Close() override { return true; }
    bool Realtime() const override { return false; }
    bool Lost() override { return false; }

private:
    std::vector<std::string> drivers_;
    bool openFails_;
    int outputs_;
};

}  // namespace tamberline::testing

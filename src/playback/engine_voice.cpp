#include "playback/engine_voice.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "playback/sound/sound_system.h"

namespace tamberline {

float EngineVolume(float levelCb) {
    return std::pow(10.0f, levelCb / 1000.0f);
}

void RouteEngineVoice(SoundSystem& engine, ChannelId channel, int soundChannels, int output,
                      int pan) {
    std::array<float, kSpeakerCount> mix{};
    engine.SetSpeakerMix(channel, mix);
    const float left = static_cast<float>(std::max((200 - pan) / 2, 1)) * 0.01f;
    const float right = static_cast<float>(std::max(pan / 2, 1)) * 0.01f;
    if (soundChannels > 2) {
        engine.SetSpeakerMix(channel, {left, right, 1, 1, 1, 1, 1, 1});
        return;
    }
    if (output < 0 || output > 3) {
        return;
    }
    const float leftLevels[2] = {left, 0.0f};
    const float rightLevels[2] = {0.0f, right};
    engine.SetSpeakerLevels(channel, 2 * output, leftLevels, 2);
    engine.SetSpeakerLevels(channel, 2 * output + 1, rightLevels, 2);
}

SoundResult SetEngineSpeed(SoundSystem& engine, ChannelId channel, float base, int varispeed) {
    return engine.SetFrequency(channel,
                               static_cast<float>(std::clamp(varispeed, 10, 190)) * 0.01f * base);
}

void SetEngineLoop(SoundSystem& engine, SoundId sound, ChannelId channel, bool loop) {
    if (!loop) {
        engine.SetMode(channel, LoopMode::kOff);
        return;
    }
    uint32_t length = 0;
    engine.GetLength(sound, TimeUnit::kPcm, length);
    engine.SetLoopPoints(channel, 0, length);
    engine.SetLoopCount(channel, -1);
    engine.SetMode(channel, LoopMode::kNormal);
}

}  // namespace tamberline

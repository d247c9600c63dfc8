#pragma once

#include "playback/sound/sound_types.h"

namespace tamberline {

class SoundSystem;

// How a voice on the audio engine plays a button's sound: its level, its
// speakers, its speed and its loop. Run control and the button setup's
// preview both play through these, on the control thread.

// The engine volume of a level in hundredths of a decibel.
float EngineVolume(float levelCb);
// Feeds pair `output` (0..3) with `pan` (0..200, 100 centre); a sound of
// more than two channels plays one to one on all eight speakers instead.
void RouteEngineVoice(SoundSystem& engine, ChannelId channel, int soundChannels, int output,
                      int pan);
// `varispeed` per cent (10..190) of the sound's own frequency `base`.
SoundResult SetEngineSpeed(SoundSystem& engine, ChannelId channel, float base, int varispeed);
// Loops the whole sound for ever, or plays it once.
void SetEngineLoop(SoundSystem& engine, SoundId sound, ChannelId channel, bool loop);

}  // namespace tamberline

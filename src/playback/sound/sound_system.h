#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "playback/sound/audio_backend.h"
#include "playback/sound/file_reader.h"
#include "playback/sound/play_program.h"
#include "playback/sound/sound_types.h"

namespace tamberline {

namespace sound {
class Engine;
class OpenedFile;
class SoundSource;
}  // namespace sound

// The program's own sound library: streams decoded ahead on a streaming
// thread, mixed onto eight speakers by the audio callback of an output
// device (PortAudio) or rendered on demand (OfflineBackend).
//
// Creating the object creates the system and destroying it releases it.
// Every operation returns a SoundResult and nothing throws. All calls on
// one SoundSystem come from one thread at a time: the run-control thread
// while sounds play, the thread that builds the outputs around Init and
// Close. That thread is the only producer of the mixer's single-producer
// command queue, which is why no call takes a lock on the audio path.
//
// Sounds and channels work as the run control expects of a sound library:
// a stream plays on one channel at a time; a channel starts paused when
// asked; IsPlaying turns false when a non-looping sound has played out; a
// user stream plays its sub-sounds in the order of its sentence, and a
// sub-sound replaced while another plays is the one heard when its turn
// comes; volumes at or below 0.00001 are silent; the frequency scales speed
// and pitch together.
class SoundSystem {
public:
    SoundSystem();
    ~SoundSystem();
    SoundSystem(const SoundSystem&) = delete;
    SoundSystem& operator=(const SoundSystem&) = delete;

    // Before Init.
    SoundResult SetOutput(OutputType type);
    SoundResult SetOutputBackend(std::unique_ptr<AudioBackend> backend);
    SoundResult GetNumDrivers(int& count);
    SoundResult GetDriverName(int index, std::string& name);
    SoundResult SetDriver(int index);
    SoundResult SetSpeakerMode(SpeakerMode mode);
    // What sounds created from now on read their files through (pread when
    // never set).
    void SetFileReader(std::shared_ptr<FileReader> reader);
    const std::shared_ptr<FileReader>& fileReader() const { return reader_; }

    // Opens the driver and starts mixing `maxChannels` channels.
    SoundResult Init(int maxChannels);
    // Stops the device and releases every sound and channel.
    SoundResult Close();
    // kErrOutputLost once the device has stopped (a JACK server that quit,
    // a card unplugged): every channel then reports that error and is not
    // playing, and nothing new plays until Close and Init. Cheap enough for
    // every tick.
    SoundResult Update();
    int OutputRate() const { return outputRate_; }
    // The device's output channels (at most eight): speakers past them are
    // not heard.
    int OutputChannels() const { return outputChannels_; }

    // Sounds. Every stream is mixed in software with sample-exact positions.
    SoundResult CreateStream(const std::string& path, LoopMode loop, SoundId& sound);
    // CreateStream in two steps: opening and examining the file, which may
    // wait for a slow disk, on any thread; then the stream, on the thread
    // that makes the other calls.
    static SoundResult OpenStreamFile(const std::string& path, std::shared_ptr<FileReader> reader,
                                      std::shared_ptr<sound::SoundSource>& source);
    SoundResult CreateStream(std::shared_ptr<sound::SoundSource> source, LoopMode loop,
                             SoundId& sound);
    SoundResult CreateRawStream(const std::string& path, const RawStreamInfo& info, LoopMode loop,
                                SoundId& sound);
    // CreateRawStream in two steps: the file opened once, on any thread;
    // then each stretch of it, opening nothing.
    static SoundResult OpenRawFile(const std::string& path,
                                   std::shared_ptr<sound::OpenedFile>& file);
    SoundResult CreateRawStream(std::shared_ptr<sound::OpenedFile> file, const RawStreamInfo& info,
                                LoopMode loop, SoundId& sound);
    SoundResult CreateUserStream(const UserStreamInfo& info, LoopMode loop, SoundId& sound);
    // kMs or kPcm. A user stream's length is its sentence's.
    SoundResult GetLength(SoundId sound, TimeUnit unit, uint32_t& length);
    SoundResult GetFormat(SoundId sound, SoundFormatInfo& format);
    SoundResult GetNumSubSounds(SoundId sound, int& count);
    // An empty slot gives a null id.
    SoundResult GetSubSound(SoundId parent, int index, SoundId& sub);
    // A sub-sound must match the parent's channels and rate and not be
    // playing; a null id empties the slot. An empty slot is skipped.
    SoundResult SetSubSound(SoundId parent, int index, SoundId sub);
    // Without a sentence a user stream plays its slots in order.
    SoundResult SetSubSoundSentence(SoundId parent, const std::vector<int>& subSounds);
    // Stops the sound's channel. A released sub-sound leaves its slot empty;
    // the sub-sounds of a released parent stay.
    SoundResult ReleaseSound(SoundId sound);

    // Plays on a free channel, from the start, at full volume, at the
    // sound's own rate, with the sound's loop mode and a loop count of -1.
    // Playing a stream again ends its earlier channel.
    SoundResult PlaySound(SoundId sound, bool paused, ChannelId& channel);

    // Channels.
    SoundResult SetPaused(ChannelId channel, bool paused);
    // Linear, 0..1.
    SoundResult SetVolume(ChannelId channel, float volume);
    SoundResult GetVolume(ChannelId channel, float& volume);
    // Hz; the sound's own rate plays it as recorded.
    SoundResult SetFrequency(ChannelId channel, float frequency);
    SoundResult GetFrequency(ChannelId channel, float& frequency);
    // One level per speaker: mono feeds each speaker, stereo the left or
    // right of each pair, more channels one to one. Replaces the matrix.
    SoundResult SetSpeakerMix(ChannelId channel, const std::array<float, kSpeakerCount>& levels);
    // Levels from each input channel to one speaker (0..7); input channels
    // past `count` get none.
    SoundResult SetSpeakerLevels(ChannelId channel, int speaker, const float* levels, int count);
    // A paused channel is playing; an ended one is not. kErrFileRead (and not
    // playing) when it ended because its file could not be read on.
    SoundResult IsPlaying(ChannelId channel, bool& playing);
    // Times the channel ran out of decoded sound (a read slower than play);
    // each time it skipped on to keep time with the others.
    SoundResult GetUnderruns(ChannelId channel, uint32_t& count);
    // Unpauses paused channels on one output frame, once every one of them
    // has decoded enough to play on: the members of a start group.
    SoundResult StartTogether(const std::vector<ChannelId>& channels);
    // kMs or kPcm from the start of the sound (of the sentence's present
    // entries for a user stream), or kSubSound: the slot being heard.
    SoundResult GetPosition(ChannelId channel, uint32_t& position, TimeUnit unit);
    // kMs or kPcm. Counts the loops afresh.
    SoundResult SetPosition(ChannelId channel, uint32_t position, TimeUnit unit);
    SoundResult SetMode(ChannelId channel, LoopMode mode);
    // In PCM frames; `end` is exclusive, so (0, length) loops the whole
    // sound. A sentence always loops whole.
    SoundResult SetLoopPoints(ChannelId channel, uint32_t start, uint32_t end);
    // Repeats before the channel ends; -1 for ever.
    SoundResult SetLoopCount(ChannelId channel, int count);

private:
    struct SoundObject;
    struct ChannelSlot;

    void EnsureBackend();
    SoundResult AddSound(SoundObject object, SoundId& sound);
    SoundObject* FindSound(SoundId sound);
    uint64_t SoundFrames(const SoundObject& sound) const;
    // The channel, or the reason it cannot be used.
    SoundResult UseChannel(ChannelId channel, ChannelSlot*& slot, bool allowEnded = false);
    bool Ended(const ChannelSlot& slot) const;
    bool OutputLost();
    int FreeVoice();
    void StopVoice(int voice);
    sound::PlayRules RulesFor(const ChannelSlot& slot, const SoundObject& sound) const;
    SoundResult SendRules(ChannelSlot& slot, bool restartLoopCount);
    bool PositionCursor(const SoundObject& sound, uint64_t frame, sound::PlayCursor& cursor) const;

    std::unique_ptr<AudioBackend> backend_;
    std::shared_ptr<FileReader> reader_;
    int driver_ = 0;
    SpeakerMode speakerMode_ = SpeakerMode::kSevenPointOne;
    std::unique_ptr<sound::Engine> engine_;
    int outputRate_ = 0;
    int outputChannels_ = 0;
    uint32_t lastGroup_ = 0;
    std::unordered_map<uint32_t, SoundObject> sounds_;
    uint32_t nextSound_ = 1;
    std::vector<ChannelSlot> slots_;
};

}  // namespace tamberline

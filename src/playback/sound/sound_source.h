#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "playback/sound/sound_types.h"

struct sf_private_tag;

namespace tamberline::sound {

// One decoder: a whole file, or a raw stretch of one. Opened and measured on
// the control thread; after that only the streaming thread reads from it.
class SoundSource {
public:
    ~SoundSource();
    SoundSource(const SoundSource&) = delete;
    SoundSource& operator=(const SoundSource&) = delete;

    static SoundResult OpenFile(const std::string& path, std::shared_ptr<SoundSource>& source);
    static SoundResult OpenRaw(const std::string& path, const RawStreamInfo& info,
                               std::shared_ptr<SoundSource>& source);

    int Channels() const { return channels_; }
    int SampleRate() const { return sampleRate_; }
    // Length in frames as the file declares it.
    uint64_t Frames() const { return frames_; }
    const SoundFormatInfo& Format() const { return format_; }

    // Streaming thread. Reads up to `count` frames starting at `frame` into
    // interleaved floats; fewer (or 0) where the data really ends or cannot
    // be read, after which PlayableFrames() says where that was.
    uint64_t Read(float* out, uint64_t frame, uint64_t count);
    uint64_t PlayableFrames() const { return playable_; }

private:
    struct RawRegion;
    SoundSource() = default;
    SoundResult Measure();

    int fd_ = -1;
    sf_private_tag* file_ = nullptr;
    std::unique_ptr<RawRegion> raw_;
    int channels_ = 0;
    int sampleRate_ = 0;
    uint64_t frames_ = 0;
    uint64_t playable_ = 0;
    uint64_t decoderFrame_ = 0;
    SoundFormatInfo format_;
};

}  // namespace tamberline::sound

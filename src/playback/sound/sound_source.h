#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "playback/sound/file_reader.h"

#include "playback/sound/sound_types.h"

struct sf_private_tag;

namespace tamberline::sound {

// A file opened for raw stretches of it. Opening may wait for a slow disk,
// so it is done where waiting holds up nothing; the stretches made from it
// later open nothing, and play on even when the file is renamed meanwhile.
class OpenedFile {
public:
    ~OpenedFile();
    OpenedFile(const OpenedFile&) = delete;
    OpenedFile& operator=(const OpenedFile&) = delete;

    static SoundResult Open(const std::string& path, std::shared_ptr<OpenedFile>& file);
    int Descriptor() const { return fd_; }
    int64_t Size() const { return size_; }

private:
    OpenedFile() = default;
    int fd_ = -1;
    int64_t size_ = 0;
};

// One decoder: a whole file, or a raw stretch of one. Opened and measured on
// one thread; after that only the streaming threads read from it.
class SoundSource {
public:
    ~SoundSource();
    SoundSource(const SoundSource&) = delete;
    SoundSource& operator=(const SoundSource&) = delete;

    // `reader` reads the file's bytes for as long as the source lives.
    static SoundResult OpenFile(const std::string& path, std::shared_ptr<FileReader> reader,
                                std::shared_ptr<SoundSource>& source);
    static SoundResult OpenRaw(const std::string& path, const RawStreamInfo& info,
                               std::shared_ptr<FileReader> reader,
                               std::shared_ptr<SoundSource>& source);
    // Reads nothing and opens nothing: any thread.
    static SoundResult OpenRaw(std::shared_ptr<OpenedFile> file, const RawStreamInfo& info,
                               std::shared_ptr<FileReader> reader,
                               std::shared_ptr<SoundSource>& source);

    int Channels() const { return channels_; }
    int SampleRate() const { return sampleRate_; }
    // Length in frames as the file declares it.
    uint64_t Frames() const { return frames_; }
    const SoundFormatInfo& Format() const { return format_; }

    // Streaming threads, one at a time (a sound replayed on a new channel
    // may be read for both). Reads up to `count` frames starting at `frame`
    // into interleaved floats; fewer (or 0) where the data really ends or
    // cannot be read, after which PlayableFrames() says where that was and
    // ReadFailed() whether the disk failed.
    uint64_t Read(float* out, uint64_t frame, uint64_t count);
    uint64_t PlayableFrames() const { return playable_.load(std::memory_order_acquire); }
    bool ReadFailed() const;

    // The bytes libsndfile decodes (public for its read functions only).
    struct Region;

private:
    SoundSource() = default;
    static SoundResult OpenRegion(std::shared_ptr<OpenedFile> file, int64_t offset, int64_t length,
                                  std::shared_ptr<FileReader> reader,
                                  std::unique_ptr<Region>& region);
    SoundResult Measure();

    std::mutex readMutex_;
    sf_private_tag* file_ = nullptr;
    std::unique_ptr<Region> region_;
    int channels_ = 0;
    int sampleRate_ = 0;
    uint64_t frames_ = 0;
    std::atomic<uint64_t> playable_{0};
    uint64_t decoderFrame_ = 0;
    SoundFormatInfo format_;
};

}  // namespace tamberline::sound

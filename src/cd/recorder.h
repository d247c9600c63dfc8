#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace tamberline {

// A track handed to a recorder: the audio bytes of a checked WAV file.
struct BurnTrack {
    std::string path;
    std::string title;  // CD-TEXT title (the display name)
    uint32_t dataSize = 0;
    int32_t dataOffset = 0;
};

// What a recorder reports while it works. Called on the burn worker's
// thread.
class BurnEvents {
public:
    virtual ~BurnEvents() = default;
    virtual void Compiling(int track, int count) = 0;  // "Compiling track %d of %d"
    virtual void AddProgress(uint64_t done, uint64_t total) = 0;
    virtual void Preparing() = 0;                          // "Preparing to burn."
    virtual void TrackProgress(int track, int count) = 0;  // 0-based track
    virtual void BlockProgress(uint64_t done, uint64_t total) = 0;
    virtual void ClosingDisc() = 0;  // "Closing disc."
};

// Something that writes an audio CD: a real recorder or the image recorder.
class Recorder {
public:
    virtual ~Recorder() = default;
    // The line in the recorder list.
    virtual std::string Name() const = 0;
    // Writes the disc; "" on success, else the text to show. Returns early
    // with kBurnCancelled when `stop` is seen.
    virtual std::string Burn(const std::vector<BurnTrack>& tracks, BurnEvents& events,
                             const std::atomic<bool>& stop) = 0;
    virtual bool LockTray(bool /*lock*/) { return true; }
};

inline constexpr const char* kBurnCancelled = "IMAPI_E_USERABORT";

// Reads the audio of a track block by block: 2,352 bytes, the rest of the
// last block and every block after the data silent. Blocks = TrackBlocks().
class TrackBlockReader {
public:
    explicit TrackBlockReader(const BurnTrack& track);
    ~TrackBlockReader();
    TrackBlockReader(const TrackBlockReader&) = delete;
    TrackBlockReader& operator=(const TrackBlockReader&) = delete;
    bool ok() const { return file_ != nullptr; }
    uint32_t blocks() const { return blocks_; }
    // Fills 2,352 bytes; false on a read error.
    bool Next(uint8_t* block);

private:
    std::FILE* file_ = nullptr;
    uint32_t blocks_ = 0;
    uint64_t left_ = 0;
};

}  // namespace tamberline

#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>

#include "playback/sound/sound_types.h"
#include "session/disk_file.h"
#include "session/run_log.h"
#include "songlist/wav_segments.h"

namespace tamberline {

namespace sound {
class OpenedFile;
}

// Results of PrepareButton (3 is found by StartButton).
enum PrepareResult : int {
    kPrepared = 0,
    kEngineCannotPlay = 1,
    kGraphCannotPlay = 2,
    kZeroSizeFile = 3,
    kFileMissing = 4,
    kNoPlayableEntry = 5,
};

// Positioning flags of the media graph as run control uses them.
inline constexpr unsigned kSeekAbsolute = 0x01;
inline constexpr unsigned kSeekSegments = 0x31;   // absolute, segment, no flush
inline constexpr unsigned kSeekFinalPass = 0x21;  // absolute, no flush: then completes
inline constexpr float kSilentLevel = -10000.0f;
inline constexpr long kFadeFloorCb = -5000;  // a fade counts as silent here

// Which version of a file was examined last: its stamp and its size.
struct FileSeen {
    FileStamp stamp;
    int64_t size = 0;
    bool operator==(const FileSeen&) const = default;
};

// The playback state of one button. Owned by the control thread.
struct ButtonRunState {
    bool running = false;
    bool paused = false;
    bool locked = false;
    bool onAudioEngine = false;
    bool onMediaGraph = false;
    float levelCb = 0.0f;
    bool fadeInActive = false;
    float fadeInRate = 0.0f;
    int32_t fadeOutMs = 0;
    bool fadeOutArmed = false;
    bool fadeOutActive = false;
    float fadeOutRate = 0.0f;
    bool pauseAfterFade = false;
    int32_t remainingMs = 0;
    uint32_t playedMs = 0;
    bool releaseToEnd = false;
    bool releaseDone = false;
    int32_t sentenceIndex = 0;
    float baseFrequency = 0.0f;
    unsigned seekFlags = kSeekAbsolute;
    // Empty: the file is examined again at the next start.
    std::optional<FileSeen> fileSeen;

    // Engine objects (the parent sound when segmented).
    SoundId sound;
    ChannelId channel;
    RawStreamInfo rawInfo;                       // kept for queuing segments
    std::shared_ptr<sound::OpenedFile> rawFile;  // opened by the file work
    uint16_t blockAlign = 0;
    int soundChannels = 0;
    // The graph's playback rate (varispeed) and the file's sample rate.
    double graphRate = 1.0;
    int sampleRate = 0;

    std::deque<std::string> songlist;  // head = the entry playing
    WavSegmentTable segments;
    uint32_t releasePoint = 0;

    RunLogEntry runLog;

    bool IsSegmented() const { return !segments.segments.empty(); }
};

}  // namespace tamberline

#pragma once

#include <string>

#include "cd/recorder.h"

namespace tamberline {

// The image recorder: writes the disc as a BIN/CUE pair laid out like a
// track-at-once audio CD: track 1 from the start, every later track after a
// two-second pregap of silence (INDEX 00), each track TrackBlocks() long;
// the CUE sheet carries CD-TEXT (TITLE and PERFORMER). Both files are
// written under temporary names and renamed into place at the end, so a
// cancel or a full disk leaves no half image.
class ImageRecorder final : public Recorder {
public:
    // `cuePath` ends in ".cue"; the BIN goes beside it with ".bin".
    explicit ImageRecorder(std::string cuePath, std::string album = "Tamberline");
    // The recorder line names the image it writes, once one is chosen.
    std::string Name() const override;
    std::string Burn(const std::vector<BurnTrack>& tracks, BurnEvents& events,
                     const std::atomic<bool>& stop) override;
    const std::string& cuePath() const { return cuePath_; }
    // Not while a burn runs: the worker reads the path.
    void SetCuePath(std::string cuePath) { cuePath_ = std::move(cuePath); }

    // The CUE sheet for tracks of the given block counts.
    static std::string CueSheet(const std::string& binName, const std::string& album,
                                const std::vector<BurnTrack>& tracks,
                                const std::vector<uint32_t>& blocks);

private:
    std::string cuePath_;
    std::string album_;
};

inline constexpr int kPregapBlocks = 150;
inline constexpr const char* kImageRecorderName = "Disc image (BIN/CUE)";

}  // namespace tamberline

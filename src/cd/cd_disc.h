#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tamberline {

inline constexpr int kCdSectorBytes = 2352;

struct DiscTrack {
    int number = 0;
    int32_t start = 0;              // LSN of index 1
    std::optional<int32_t> pregap;  // LSN of index 0 when the disc tells it
    bool audio = true;
};

struct DiscToc {
    std::vector<DiscTrack> tracks;  // in order, first to last
    int32_t leadout = 0;            // LSN
    int lastTrack() const { return tracks.empty() ? 0 : tracks.back().number; }
};

// An audio CD in a drive, or a disc image opened as one.
class CdDisc {
public:
    virtual ~CdDisc() = default;
    virtual const DiscToc& toc() const = 0;
    // One title per track 1..lastTrack; "" where CD-TEXT has none.
    virtual std::vector<std::string> Titles() = 0;
    // Raw CD-DA sectors (2,352 bytes each), little-endian samples.
    virtual bool ReadAudio(int32_t lsn, uint32_t sectors, uint8_t* out) = 0;
    virtual bool LockTray(bool /*lock*/) { return true; }
    virtual bool IsRealDrive() const { return false; }
};

// Opens a drive (a device path) or an image (.cue, .toc, .nrg); nullptr with
// `error` set when it holds no readable disc.
std::unique_ptr<CdDisc> OpenCdDisc(const std::string& source, std::string* error = nullptr);
// The system's CD drives (device paths).
std::vector<std::string> ListCdDrives();
bool IsCdImagePath(const std::string& source);
bool EjectCd(const std::string& source);

}  // namespace tamberline

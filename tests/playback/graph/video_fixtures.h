#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

typedef struct _GstElement GstElement;

namespace tamberline::testing {

enum class VideoCodec { kVp8InWebM, kVp9InWebM, kTheoraInOgg };

// Writes a clip of colour bars (the SMPTE pattern) of `width` x `height` at
// 25 frames a second, with a 440 Hz tone unless `withSound` is off.
bool WriteBarsClip(const std::string& path, VideoCodec codec, int width, int height, double seconds,
                   bool withSound = true);

// Writes a clip of two black 7680 x 4320 pictures (Motion JPEG: quick to
// write) with 3 s of sound.
bool WriteEightKClip(const std::string& path);

// Whether a picture shows the seven upper bars of the SMPTE pattern, from
// white to blue; `pixel` gives the red, green and blue of a point.
// `why` tells the first bar that differs.
using PixelFn = std::function<std::array<int, 3>(int x, int y)>;
bool ShowsColourBars(int width, int height, const PixelFn& pixel, std::string* why = nullptr);

// A picture renderer that keeps the last picture (RGBx), as fast as the
// graph shows them.
class PictureCollector {
public:
    PictureCollector();
    ~PictureCollector();
    PictureCollector(const PictureCollector&) = delete;
    PictureCollector& operator=(const PictureCollector&) = delete;

    GstElement* Renderer() const { return sink_; }
    int Frames() const;
    // The last picture; false when none came.
    bool Last(std::vector<uint8_t>& rgbx, int& width, int& height) const;

    struct Access;

private:
    GstElement* sink_ = nullptr;
    mutable std::mutex mutex_;
    int frames_ = 0;
    std::vector<uint8_t> last_;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace tamberline::testing

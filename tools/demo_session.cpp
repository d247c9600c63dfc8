// Writes a small demo show: a few short generated sounds and a session whose
// first buttons play them, so that a newcomer can click a button and hear it
// at once. It goes to "Tamberline Demo" in the documents folder the program
// itself uses (where the run log lives too), once: when the demo session is
// there already nothing is written. Prints the path of a session it wrote.
//   tamberline-demo-session
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numbers>
#include <string>
#include <vector>

#include "session/button_record.h"
#include "session/session_file.h"
#include "session/session_paths.h"
#include "songlist/media_length.h"

namespace {

constexpr int kRate = 48000;

struct DemoSound {
    const char* file;
    const char* caption;
    uint32_t colour;               // 0x00BBGGRR
    std::vector<double> partials;  // Hz
    double seconds;
    uint16_t fadeOut;  // tenths of a second
    uint8_t loop;
};

// A struck tone: the partials with a quick attack and an exponential decay.
std::vector<float> Synthesise(const DemoSound& sound) {
    const int frames = static_cast<int>(sound.seconds * kRate);
    std::vector<float> samples(static_cast<size_t>(frames) * 2);
    for (int i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double envelope = std::min(1.0, t * 200.0) * std::exp(-3.0 * t / sound.seconds);
        double value = 0;
        for (size_t p = 0; p < sound.partials.size(); ++p) {
            value +=
                std::sin(2 * std::numbers::pi * sound.partials[p] * t) / static_cast<double>(p + 1);
        }
        const float sample = static_cast<float>(0.3 * envelope * value);
        samples[static_cast<size_t>(i) * 2] = sample;
        samples[static_cast<size_t>(i) * 2 + 1] = sample;
    }
    return samples;
}

bool WriteWav(const std::string& path, const std::vector<float>& samples) {
    SF_INFO info{};
    info.samplerate = kRate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) {
        return false;
    }
    const sf_count_t frames = static_cast<sf_count_t>(samples.size() / 2);
    const bool ok = sf_writef_float(file, samples.data(), frames) == frames;
    sf_close(file);
    return ok;
}

}  // namespace

int main() {
    const std::filesystem::path folder =
        std::filesystem::path(tamberline::DocumentsFolder()) / "Tamberline Demo";
    const std::string session = (folder / "Demo.dbf").string();
    if (std::filesystem::exists(session)) {
        return 0;
    }
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        std::fprintf(stderr, "cannot create %s: %s\n", folder.c_str(), error.message().c_str());
        return 1;
    }
    const DemoSound sounds[] = {
        {"Bell.wav", "Bell", 0x0000FFFF, {880, 2217, 3520}, 2.5, 0, 0},
        {"Low tone.wav", "Low tone", 0x00FF8000, {110, 220, 330}, 3.0, 0, 0},
        {"Chime.wav", "Chime", 0x0000FF00, {1318.5, 1975.5}, 1.5, 0, 0},
        {"Gong.wav", "Gong\r\n(fades out)", 0x00C0C0FF, {98, 147, 233, 311}, 6.0, 20, 0},
        {"Pad.wav", "Pad (loops)", 0x00FFC0C0, {220, 277.2, 329.6}, 4.0, 0, 1},
        {"Ping.wav", "Ping", 0x00FFFFFF, {2637}, 0.8, 0, 0},
    };
    tamberline::RecordArray records{};
    int button = 0;
    for (const DemoSound& sound : sounds) {
        const std::string path = (folder / sound.file).string();
        if (!WriteWav(path, Synthesise(sound))) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
        tamberline::ButtonRecord& record = records[static_cast<size_t>(button++)];
        tamberline::SetPath(record, path);
        tamberline::SetCaption(record, sound.caption);
        record.volume = 100;
        record.pan = 100;
        record.varispeed = 100;
        record.colour = sound.colour;
        record.fadeOut = sound.fadeOut;
        record.loop = sound.loop;
        record.status = tamberline::STATUS_ASSIGNED;
        record.fileSize = static_cast<int32_t>(std::filesystem::file_size(path));
        record.durationMs = static_cast<uint32_t>(std::max(
            1000, tamberline::RoundUpToHalfSecond(static_cast<int64_t>(sound.seconds * 1000))));
    }
    if (tamberline::WriteSessionFile(session, records) != 0) {
        std::fprintf(stderr, "cannot write %s\n", session.c_str());
        return 1;
    }
    std::printf("%s\n", session.c_str());
    return 0;
}

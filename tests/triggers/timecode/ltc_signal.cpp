#include "ltc_signal.h"

#include <ltc.h>

#include <algorithm>
#include <random>
#include <set>

namespace tamberline::testing {

namespace {
constexpr double kSampleRate = 22050;
}

std::vector<uint8_t> EncodeLtc(const LtcSignal& signal) {
    const LTC_TV_STANDARD standard =
        signal.fps == 25 ? LTC_TV_625_50 : (signal.fps == 24 ? LTC_TV_FILM_24 : LTC_TV_525_60);
    LTCEncoder* encoder = ltc_encoder_create(kSampleRate, signal.fps, standard, 0);
    ltc_encoder_set_volume(encoder, signal.dbfs);
    SMPTETimecode time{};
    time.hours = static_cast<unsigned char>(signal.hours);
    time.mins = static_cast<unsigned char>(signal.minutes);
    time.secs = static_cast<unsigned char>(signal.seconds);
    time.frame = static_cast<unsigned char>(signal.frame);
    ltc_encoder_set_timecode(encoder, &time);
    std::vector<uint8_t> out;
    for (int i = 0; i <= signal.frames; ++i) {
        ltc_encoder_encode_frame(encoder);
        ltcsnd_sample_t* buffer = nullptr;
        const int length = ltc_encoder_get_bufferptr(encoder, &buffer, 1);
        out.insert(out.end(), buffer, buffer + length);
        ltc_encoder_inc_timecode(encoder);
    }
    ltc_encoder_free(encoder);
    if (signal.inverted) {
        for (uint8_t& s : out) {
            s = static_cast<uint8_t>(std::clamp(256 - s, 0, 255));
        }
    }
    return out;
}

void AddNoise(std::vector<uint8_t>& samples, int peak, uint32_t seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> noise(-peak, peak);
    for (uint8_t& s : samples) {
        s = static_cast<uint8_t>(std::clamp(s + noise(random), 0, 255));
    }
}

std::vector<ReadFrame> DecodeWithLibltc(const std::vector<uint8_t>& samples, double fps) {
    LTCDecoder* decoder = ltc_decoder_create(static_cast<int>(kSampleRate / fps), 32);
    std::vector<ReadFrame> read;
    constexpr size_t kChunk = 2756;
    for (size_t at = 0; at < samples.size(); at += kChunk) {
        const size_t n = std::min(kChunk, samples.size() - at);
        std::vector<ltcsnd_sample_t> chunk(samples.begin() + static_cast<long>(at),
                                           samples.begin() + static_cast<long>(at + n));
        ltc_decoder_write(decoder, chunk.data(), n, static_cast<ltc_off_t>(at));
        LTCFrameExt frame;
        while (ltc_decoder_read(decoder, &frame)) {
            SMPTETimecode t;
            ltc_frame_to_time(&t, &frame.ltc, 0);
            read.push_back({t.secs + 60 * t.mins + 3600 * t.hours, t.frame});
        }
    }
    ltc_decoder_free(decoder);
    return read;
}

ReadCount CountRead(const std::vector<ReadFrame>& frames, const LtcSignal& signal) {
    const int rate = static_cast<int>(signal.fps + 0.5);
    const int first =
        (signal.seconds + 60 * (signal.minutes + 60 * signal.hours)) * rate + signal.frame;
    std::set<int> written;
    ReadCount count;
    for (const ReadFrame& f : frames) {
        const int at = f.secondOfDay * rate + f.frame - first;
        if (f.frame < rate && at >= 0 && at <= signal.frames) {
            written.insert(at);
        } else {
            ++count.misread;
        }
    }
    count.read = written.size();
    count.misread += frames.size() - count.misread - written.size();
    return count;
}

}  // namespace tamberline::testing

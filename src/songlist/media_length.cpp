#include "songlist/media_length.h"

#include <limits>

namespace tamberline {
namespace {

constexpr int64_t kStep = 500;
constexpr int64_t kLargest = std::numeric_limits<int32_t>::max() / kStep * kStep;

}  // namespace

int32_t RoundUpToHalfSecond(int64_t ms) {
    if (ms <= 0) {
        return 0;
    }
    if (ms >= kLargest) {
        return static_cast<int32_t>(kLargest);
    }
    return static_cast<int32_t>((ms + kStep - 1) / kStep * kStep);
}

int32_t PlaylistLength(std::vector<std::string>& entries, const MediaLengthFn& mediaLength) {
    int64_t total = 0;
    std::vector<std::string> kept;
    kept.reserve(entries.size());
    for (std::string& entry : entries) {
        const int32_t length = RoundUpToHalfSecond(mediaLength(entry));
        if (length == 0) {
            continue;
        }
        total += length;
        kept.push_back(std::move(entry));
    }
    entries = std::move(kept);
    return RoundUpToHalfSecond(total);
}

}  // namespace tamberline

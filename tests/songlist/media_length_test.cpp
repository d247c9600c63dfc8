#include "songlist/media_length.h"

#include <gtest/gtest.h>

#include <limits>
#include <map>

namespace tamberline {
namespace {

TEST(MediaLengthTest, RoundsUpToTheNextHalfSecond) {
    const struct {
        int64_t ms;
        int32_t rounded;
    } cases[] = {
        {0, 0},
        {-20, 0},
        {1, 500},
        {500, 500},
        {501, 1000},
        {20100, 20500},
        {21000, 21000},
        {std::numeric_limits<int32_t>::max(), 2147483500},
        {int64_t{1} << 40, 2147483500},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RoundUpToHalfSecond(c.ms), c.rounded) << c.ms;
    }
}

// Stands in for the engine's measure and counts how often each file is
// measured.
class FakeMeasure {
public:
    explicit FakeMeasure(std::map<std::string, int32_t> lengths) : lengths_(std::move(lengths)) {}
    MediaLengthFn Fn() {
        return [this](const std::string& path) {
            ++calls_[path];
            const auto found = lengths_.find(path);
            return found == lengths_.end() ? 0 : found->second;
        };
    }
    std::map<std::string, int> calls_;

private:
    std::map<std::string, int32_t> lengths_;
};

TEST(MediaLengthTest, MissingThirdEntryIsDroppedAndTheOthersCountOnce) {
    FakeMeasure measure({{"/a.wav", 20100}, {"/b.wav", 20100}, {"/d.wav", 21000}});
    std::vector<std::string> entries = {"/a.wav", "/b.wav", "/c.wav", "/d.wav"};
    EXPECT_EQ(PlaylistLength(entries, measure.Fn()), 62000);
    EXPECT_EQ(entries, (std::vector<std::string>{"/a.wav", "/b.wav", "/d.wav"}));
    for (const auto& [path, calls] : measure.calls_) {
        EXPECT_EQ(calls, 1) << path;
    }
}

TEST(MediaLengthTest, EachLengthIsRoundedBeforeSumming) {
    // A measure that hands back raw milliseconds still sums rounded lengths.
    std::vector<std::string> entries = {"x", "y", "z"};
    EXPECT_EQ(PlaylistLength(entries, [](const std::string&) { return 1; }), 1500);
}

TEST(MediaLengthTest, NothingPlayableLeavesAnEmptyList) {
    std::vector<std::string> entries = {"", "/gone.wav"};
    EXPECT_EQ(PlaylistLength(entries, [](const std::string&) { return 0; }), 0);
    EXPECT_TRUE(entries.empty());
}

TEST(MediaLengthTest, TotalStopsAtTheLargestLength) {
    std::vector<std::string> entries(3, "long");
    EXPECT_EQ(PlaylistLength(entries, [](const std::string&) { return 2000000000; }), 2147483500);
}

}  // namespace
}  // namespace tamberline

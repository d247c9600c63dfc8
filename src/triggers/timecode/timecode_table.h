#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tamberline {

// A button's start time as the table reads it from the records.
struct TimecodeStart {
    bool on = false;
    uint32_t startTime = 0;  // frames at 30 per second
};
using TimecodeStarts = std::array<TimecodeStart, 336>;

// The start times of the buttons in the order they come due, with the
// cursor at the next one. Frame values are counted at the rate of the
// source the table was built for (none: the raw start time); seconds of
// the day serve the clock. One thread only (the control thread).
class TimecodeTable {
public:
    struct Entry {
        int button = 0;
        int secondOfDay = 0;
        uint32_t frameValue = 0;
    };
    // How late a frame trigger may still fire (a stalled source or thread);
    // later ones are skipped.
    static constexpr uint32_t kLateFrames = 8;
    // Triggers this close ahead of a lock point wait for the next pass.
    static constexpr uint32_t kLeadFrames = 60;
    static constexpr int kLeadSeconds = 2;

    // `rate` 0: no timecode source is locked.
    void Rebuild(const TimecodeStarts& starts, int rate);
    // The cursor goes to the first trigger after the lead.
    void PositionByFrame(uint32_t currentFrame);
    void PositionBySecond(int secondOfDay);
    // Adds the buttons due at `currentFrame`: every trigger reached since
    // the last call, at most kLateFrames late; a count that went back
    // (midnight) starts the day's pass afresh.
    void FireFrame(uint32_t currentFrame, std::vector<int>& due);
    // Adds the buttons whose second of day this is.
    void FireSecond(int secondOfDay, std::vector<int>& due);
    void Disarm() { armed_ = false; }

    int rate() const { return rate_; }
    bool armed() const { return armed_; }
    const std::vector<Entry>& entries() const { return entries_; }
    size_t cursor() const { return cursor_; }

private:
    void Advance();

    std::vector<Entry> entries_;
    int rate_ = 0;
    size_t cursor_ = 0;
    bool armed_ = false;
    bool passDone_ = false;  // the cursor went round: nothing more until midnight
    uint32_t lastFrame_ = 0;
};

}  // namespace tamberline

#include "triggers/timecode/timecode_table.h"

#include <algorithm>

namespace tamberline {

namespace {

constexpr uint32_t kDayFrames30 = 2592000;
constexpr int kSecondsPerDay = 86400;

}  // namespace

void TimecodeTable::Rebuild(const TimecodeStarts& starts, int rate) {
    entries_.clear();
    rate_ = rate;
    armed_ = false;
    cursor_ = 0;
    passDone_ = false;
    for (size_t button = 0; button < starts.size(); ++button) {
        if (!starts[button].on) {
            continue;
        }
        const uint32_t raw = starts[button].startTime;
        const uint32_t b = raw % kDayFrames30;
        Entry entry;
        entry.button = static_cast<int>(button);
        int seconds =
            static_cast<int>((b % 1800) / 30 + 60 * ((b % 108000) / 1800) + 3600 * (b / 108000));
        entry.secondOfDay = seconds;
        int f = static_cast<int>(b % 30);
        if (rate > 0) {
            // A frame the source's rate does not have falls in the next second.
            if (f >= rate) {
                seconds += 1;
                f -= rate;
            }
            // 23:59:59 and a frame past the rate is early next day.
            entry.frameValue =
                static_cast<uint32_t>((f + rate * seconds) % (rate * kSecondsPerDay));
        } else {
            entry.frameValue = raw;
        }
        entries_.push_back(entry);
    }
    std::stable_sort(entries_.begin(), entries_.end(),
                     [](const Entry& a, const Entry& b) { return a.frameValue < b.frameValue; });
}

void TimecodeTable::PositionByFrame(uint32_t currentFrame) {
    armed_ = false;
    if (entries_.empty()) {
        return;
    }
    const uint64_t lead = uint64_t{currentFrame} + kLeadFrames;
    const auto it = std::find_if(entries_.begin(), entries_.end(),
                                 [lead](const Entry& e) { return e.frameValue > lead; });
    cursor_ = it == entries_.end() ? 0 : static_cast<size_t>(it - entries_.begin());
    passDone_ = it == entries_.end();
    lastFrame_ = currentFrame;
    armed_ = true;
}

void TimecodeTable::PositionBySecond(int secondOfDay) {
    armed_ = false;
    if (entries_.empty()) {
        return;
    }
    const int lead = secondOfDay + kLeadSeconds;
    const auto it = std::find_if(entries_.begin(), entries_.end(),
                                 [lead](const Entry& e) { return e.secondOfDay > lead; });
    cursor_ = it == entries_.end() ? 0 : static_cast<size_t>(it - entries_.begin());
    passDone_ = false;
    armed_ = true;
}

void TimecodeTable::Advance() {
    if (++cursor_ == entries_.size()) {
        cursor_ = 0;
        passDone_ = true;
    }
}

void TimecodeTable::FireFrame(uint32_t currentFrame, std::vector<int>& due) {
    if (!armed_) {
        return;
    }
    if (currentFrame < lastFrame_) {
        cursor_ = 0;
        passDone_ = false;
    }
    lastFrame_ = currentFrame;
    while (!passDone_ && entries_[cursor_].frameValue <= currentFrame) {
        if (currentFrame - entries_[cursor_].frameValue <= kLateFrames) {
            due.push_back(entries_[cursor_].button);
        }
        Advance();
    }
}

void TimecodeTable::FireSecond(int secondOfDay, std::vector<int>& due) {
    if (!armed_) {
        return;
    }
    passDone_ = false;
    while (entries_[cursor_].secondOfDay == secondOfDay) {
        due.push_back(entries_[cursor_].button);
        Advance();
        if (passDone_) {
            break;
        }
    }
}

}  // namespace tamberline

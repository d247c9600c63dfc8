#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "session/button_record.h"

namespace tamberline {

class Registry;

// The rules of editing one button that need no window.

inline constexpr int kMinVarispeed = 10;
inline constexpr int kMaxVarispeed = 190;
inline constexpr size_t kMaxCaptionBytes = kCaptionSize - 1;  // 255

// The seven check boxes of the behaviour and stop groups.
struct FlagBoxes {
    bool playWhileTriggered = false;
    bool pause = false;
    bool buzzersAndBells = false;
    bool stopAll = false;
    bool stopGroup1 = false;
    bool stopGroup2 = false;
    bool stopGroup3 = false;
};
uint8_t FlagsFromBoxes(const FlagBoxes& boxes);
FlagBoxes BoxesFromFlags(uint8_t flags);

// A fade typed or stored: without loop it leaves room for the other fade
// and half a second before the end (durationMs / 100 - other - 5, not below
// 0); never above 36000.
uint16_t LimitFade(long value, uint16_t otherFade, uint32_t durationMs, bool loop);

// The playing time at speed `to` of what plays `durationMs` at speed `from`.
uint32_t RescaleDuration(uint32_t durationMs, int from, int to);

// Reads a timecode typed in the start-time box: only its digits count, read
// in pairs from the right as frames, seconds, minutes and hours (digits
// beyond the hours are ignored); the sum in frames wraps at 24 hours. False
// when there is no digit at all.
bool ParseStartTimeEntry(std::string_view text, uint32_t& frames);

// The caption as stored: the box's text trimmed, with line breaks as CR LF;
// the sample's name without extension when that leaves nothing; cut to 255
// bytes where a character begins, so no half character is left.
std::string CaptionForRecord(std::string_view boxText, std::string_view samplePath);
// The caption as the box shows it: line breaks as plain line feeds.
std::string CaptionForBox(std::string_view caption);
// `text` cut to at most `maxBytes` bytes on a UTF-8 character boundary.
std::string CutOnCharacter(std::string_view text, size_t maxBytes);

// A path fits the record only whole: a cut path names another file.
bool PathFitsRecord(std::string_view path);
inline constexpr char kPathTooLong[] =
    "\n\nThis path is too long for a button.\nMove the file to a shorter path.";

// The working copy of an emptied button: the output last used (0 when it
// is not a row of `outputRows`), full level, centre, normal speed, grey.
ButtonRecord ClearedRecord(const Registry& registry, int outputRows);

// Search terms hold only letters, digits, blanks and full stops.
bool IsValidSearchTerm(std::string_view term);

// Every other button whose trigger matches, as the duplicate warnings list
// them: the 1-based numbers, each followed by a blank.
std::vector<int> ButtonsOnNote(const RecordArray& records, int self, int note, int channel);
std::vector<int> ButtonsOnKey(const RecordArray& records, int self, int key);
std::vector<int> ButtonsOnGameTrigger(const RecordArray& records, int self, int trigger);
std::string ButtonNumberList(const std::vector<int>& buttons);

inline constexpr char kNoteDuplicates[] = "Button(s) also triggered by this note:\n";
inline constexpr char kKeyDuplicates[] = "Button(s) also triggered by this key:\n";
inline constexpr char kGameDuplicates[] = "Button(s) also triggered by this\n";

}  // namespace tamberline

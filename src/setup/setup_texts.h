#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tamberline {

// The texts of the button setup's lists and value displays.

inline constexpr int kGameSticks = 8;
inline constexpr int kGameButtonsPerStick = 16;

// "%c%c note %d": the note letter, '#' or a blank, and the note number.
std::string NoteItemText(int note);
// An empty first item (no note), then notes 1..127.
std::vector<std::string> MidiNoteItems();
// "Any channel", then "Channel %d" 1..16.
std::vector<std::string> MidiChannelItems();
// " " (no group), then " %d" 1..16.
std::vector<std::string> StartGroupItems();
// Game trigger item 1..128 as the open list shows it: "Stick %d : button %d"
// for the first button of a stick, "          button %d" for the others.
std::string GameTriggerListText(int item);
// The same trigger with its stick named, as a closed list shows the choice.
std::string GameTriggerStickText(int item);
// An empty first item, then the 128 triggers in their list form.
std::vector<std::string> GameTriggerItems();

// "0 dB" / "-%d dB" for a record volume 0..100.
std::string VolumeText(int volume);
// "Centre" / "Left %d%%" / "Right %d%%" for a pan 0..200 (100 centre);
// without `percent` the sign is left out.
std::string PanText(int pan, bool percent = true);
// "0%" / "-%d%%" / "+%d%%" for a varispeed around 100.
std::string VarispeedText(int varispeed);
// "%02d:%02d:%02d:%02d" of a start time in frames at 30 per second.
std::string TimecodeText(uint32_t frames);
// The preview's remaining time, raised to the next 500 ms: "%d:%02d", or
// "%d:%02d:%02d" from one hour on.
std::string RemainingTimeText(int32_t ms);

}  // namespace tamberline

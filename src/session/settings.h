#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tamberline {

// Every value the program keeps in its settings store, with its type and
// its default, declared once here. Readers and writers name a value only
// through this table (Registry takes nothing else).

// A text value; `fallback` when missing or empty.
struct StringSetting {
    std::string name;
    std::string fallback;
};
// A number ("DWORD"); `fallback` when missing.
struct DwordSetting {
    std::string name;
    uint32_t fallback = 0;
};
// An on/off number: 9 means on; any other value, or none, means off.
struct SwitchSetting {
    std::string name;
};
// Bytes; empty when missing.
struct BinarySetting {
    std::string name;
};

namespace settings {

// The recent-session list, newest first: "MRU1" .. "MRU6".
inline constexpr int kRecentCount = 6;
StringSetting RecentSession(int number);
// The unsaved work of an untitled session, restored after a crash.
inline const StringSetting kUntitledWork{"UntitledWork", ""};

// The console.
inline const SwitchSetting kTouchScreen{"TouchScreen"};
// The main window's work area, "%+05d%+05d%+05d%+05d" (left, top, right, bottom).
inline const StringSetting kMonitor{"Monitor", "+0000+0000+0000+0000"};
// Qt font descriptions of the buttons' captions and of the menus.
inline const BinarySetting kButtonFont{"BtnFont"};
inline const BinarySetting kMenuFont{"MenuFont"};
// Video pictures fill a second screen, where one exists.
inline const SwitchSetting kVideoFullScreen{"VideoFullScreen"};

// Trigger ports opened at start-up.
inline const SwitchSetting kSmpteEnable{"SMPTEEnable"};
inline const SwitchSetting kMidiEnable{"MidiEnable"};
inline const SwitchSetting kPbusEnable{"PbusEnable"};
inline const SwitchSetting kGamePortEnable{"PortEnable"};
// The timecode reader's capture device.
inline const StringSetting kSmpteInput{"SMPTEin", ""};
// Per MIDI port, named by the port: 9 = use it; a port that cannot be
// opened is written 0.
DwordSetting MidiInPort(std::string_view portName);
DwordSetting MidiOutPort(std::string_view portName);
// P-Bus serial control.
inline const StringSetting kPbusPort{"PbusPort", "COM1"};
inline const DwordSetting kPbusRate{"PbusRate", 2};
inline const DwordSetting kPbusParity{"PbusParity", 0};
inline const DwordSetting kPbusPlay{"PbusPlay", 1};
inline const DwordSetting kPbusStop{"PbusStop", 2};
inline const DwordSetting kPbusAddressA{"PbusAddressA", 1};
inline const DwordSetting kPbusAddressB{"PbusAddressB", 2};
inline const DwordSetting kPbusAddressC{"PbusAddressC", 3};
inline const DwordSetting kPbusAddressD{"PbusAddressD", 4};

// Outputs. The chosen engine driver: 0 none, k the k-th (names ignore
// case, so "ASIOindex" is the same value).
inline const DwordSetting kAsioIndex{"ASIOIndex", 0};
// The operator's name for a sound card, stored under the card's name.
StringSetting OutputUserName(std::string_view deviceName);
// The control-panel program of an engine driver, stored under its name.
StringSetting ControlPanelProgram(std::string_view driverName);

// Button set-up.
inline const DwordSetting kButtonOutput{"BtnOutput", 0};
inline const DwordSetting kButtonColour{"BtnColour", 0x00FF00};
// The sixteen custom colours of the colour chooser, 0..15.
DwordSetting CustomColour(int index);
inline const StringSetting kFileFolder{"File Folder", ""};
inline const DwordSetting kBlockMask{"Block Mask", 0};

// Archives and clones: the last folders used.
inline const StringSetting kImportFolder{"Import", ""};
inline const StringSetting kExportFolder{"Export", ""};
inline const StringSetting kCloneFolder{"Clone", ""};

// Songlists: the last songlist and its source folder.
inline const StringSetting kSonglist{"M3U", ""};
inline const StringSetting kSonglistFolder{"M3U Folder", ""};

// CD tools.
inline const StringSetting kBurnFolder{"Burn folder", ""};
inline const DwordSetting kBurnDrive{"CDW", 0};
inline const StringSetting kRipFolder{"Rip folder", ""};
inline const DwordSetting kRipDrive{"CDR", 0};
inline const DwordSetting kRipNoGap{"NoGroove", 9};  // 9: "Suppress lead-in." ticked
// The disc image the burner last wrote, which the ripper offers as a drive.
inline const StringSetting kCdImage{"CD image", ""};

// The external sample editor.
inline const StringSetting kEditExecutable{"Edit Executable", ""};

// The folder of the help pages; empty: where the installation put them.
inline const StringSetting kHelpFile{"HelpFile", ""};

}  // namespace settings

}  // namespace tamberline

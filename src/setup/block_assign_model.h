#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "session/button_record.h"

namespace tamberline {

class Registry;

// Bits of "Block Mask": one per "Set" box.
namespace block {
inline constexpr uint32_t kSamples = 0x1;
inline constexpr uint32_t kOutput = 0x2;
inline constexpr uint32_t kPlayWhileTriggered = 0x4;
inline constexpr uint32_t kPause = 0x8;
inline constexpr uint32_t kLoop = 0x10;
inline constexpr uint32_t kBuzzersAndBells = 0x20;
inline constexpr uint32_t kStopGroups = 0x40;
inline constexpr uint32_t kMidi = 0x80;
inline constexpr uint32_t kKeys = 0x100;
inline constexpr uint32_t kGame = 0x200;
inline constexpr uint32_t kColour = 0x400;
inline constexpr uint32_t kVolume = 0x800;
inline constexpr uint32_t kPan = 0x1000;
inline constexpr uint32_t kVarispeed = 0x2000;
inline constexpr uint32_t kFadeIn = 0x4000;
inline constexpr uint32_t kFadeOut = 0x8000;
inline constexpr uint32_t kStartGroup = 0x10000;
inline constexpr int kBoxCount = 17;
inline constexpr uint32_t kAll = 0x1FFFF;
inline constexpr int kMinVarispeed = 50;
inline constexpr int kMaxVarispeed = 150;
}  // namespace block

// The start-key list: 51 items, letters, keypad digits and F keys with an
// empty item between the kinds.
std::vector<std::string> BlockKeyItems();
inline constexpr int kBlockKeyItemCount = 51;
// The item of a key code (0 when the list has none).
int BlockKeyItemOf(int code);

// What the block's controls hold when OK is pressed.
struct BlockValues {
    int output = 0;  // no selection counts as 0
    bool playWhileTriggered = false;
    bool pause = false;
    bool loop = false;
    bool buzzersAndBells = false;
    bool stopAll = false;
    bool stopGroup1 = false;
    bool stopGroup2 = false;
    bool stopGroup3 = false;
    int midiChannel = 0;
    int startNote = -1;  // -1: no note selected
    int startKeyItem = 0;
    int startGameItem = 0;
    uint32_t colour = 0;
    int volume = 100;
    int pan = 100;
    int varispeed = 100;
    int fadeIn = 0;
    int fadeOut = 0;
    int startGroup = 0;
};

struct BlockServices {
    Registry& registry;
    std::string defaultFolder;
    std::function<bool(const std::string& folder)> folderExists;
    std::function<bool(const std::string& folder)> onFixedDrive;
};

// The "Block assign." dialog without its window: copies of the block's
// records (slot 0 = the lowest button), the ticked boxes, and the order in
// which OK applies them.
class BlockAssignModel {
public:
    BlockAssignModel(const BlockServices& services, std::vector<ButtonRecord> records);

    // The dialog's colour, browse folder and boxes as last used.
    void Open();

    const std::vector<ButtonRecord>& records() const { return slots_; }
    size_t size() const { return slots_.size(); }
    uint32_t mask() const { return mask_; }
    void SetMask(uint32_t mask) { mask_ = mask & block::kAll; }
    bool IsTicked(uint32_t bit) const { return (mask_ & bit) != 0; }
    uint32_t colour() const { return colour_; }
    void SetColour(uint32_t colour) { colour_ = colour & 0xFFFFFF; }
    const std::string& browseFolder() const { return browseFolder_; }
    void SetBrowseFolder(const std::string& folder) { browseFolder_ = folder; }
    // The names of the browse folder's files the block already uses.
    std::vector<std::string> UsedFileNames() const;
    // The values slot 0 gives the controls.
    BlockValues InitialValues() const;

    // OK. `files`: the names selected in the file list, in list order;
    // `selectionTouched`: the operator changed the selection (the marking
    // made at opening, untouched, keeps the samples). Returns, slot by slot,
    // whether the slot received a new file.
    std::vector<bool> Apply(const BlockValues& values, const std::vector<std::string>& files,
                            bool selectionTouched);

private:
    ButtonRecord DefaultSlot() const;

    BlockServices services_;
    std::vector<ButtonRecord> slots_;
    uint32_t mask_ = 0;
    uint32_t colour_ = 0;
    std::string browseFolder_;
};

}  // namespace tamberline

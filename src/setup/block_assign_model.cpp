#include "setup/block_assign_model.h"

#include <algorithm>

#include "base/path_parts.h"
#include "files/drives.h"
#include "session/registry.h"
#include "session/settings.h"
#include "setup/setup_rules.h"
#include "triggers/key_triggers.h"

namespace tamberline {

namespace {

constexpr char kLetters[] = " QWERTYUIOPASDFGHJKLZXCVBNM";
constexpr int kLastLetterItem = 26;
constexpr int kFirstNumpadItem = 28;
constexpr int kLastNumpadItem = 37;
constexpr int kFirstFunctionItem = 39;
constexpr int kLastFunctionItem = 50;
constexpr int kNumpadOffset = vk::kNumpad0 - kFirstNumpadItem;  // 68
constexpr int kFunctionOffset = vk::kF1 - kFirstFunctionItem;   // 73

// The key code of an item, and the item after it.
int KeyOfItem(int& item) {
    int code = 0;
    if (item >= 1 && item <= kLastLetterItem) {
        code = kLetters[item];
        item = item == kLastLetterItem ? 1 : item + 1;
    } else if (item >= kFirstNumpadItem && item <= kLastNumpadItem) {
        code = item + kNumpadOffset;
        item = item == kLastNumpadItem ? kFirstNumpadItem : item + 1;
    } else if (item >= kFirstFunctionItem && item <= kLastFunctionItem) {
        code = item + kFunctionOffset;
        item = item == kLastFunctionItem ? kFirstFunctionItem : item + 1;
    }
    return code;
}

bool SameName(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

}  // namespace

std::vector<std::string> BlockKeyItems() {
    std::vector<std::string> items;
    for (int item = 0; item <= kLastLetterItem; ++item) {
        items.push_back(item == 0 ? std::string(" ") : std::string(" ") + kLetters[item]);
    }
    items.emplace_back();
    for (int digit = 0; digit <= 9; ++digit) {
        items.push_back(" NUMPAD " + std::to_string(digit));
    }
    items.emplace_back();
    for (int key = 1; key <= 12; ++key) {
        items.push_back(" F" + std::to_string(key));
    }
    return items;
}

int BlockKeyItemOf(int code) {
    for (int item = 1; item < kBlockKeyItemCount; ++item) {
        int next = item;
        if (code != 0 && KeyOfItem(next) == code) {
            return item;
        }
    }
    return 0;
}

BlockAssignModel::BlockAssignModel(const BlockServices& services, std::vector<ButtonRecord> records)
    : services_(services), slots_(std::move(records)) {}

void BlockAssignModel::Open() {
    colour_ = services_.registry.Dword(settings::kButtonColour) & 0xFFFFFF;
    std::string folder = services_.registry.String(settings::kFileFolder);
    const auto first = std::find_if(slots_.begin(), slots_.end(),
                                    [](const ButtonRecord& r) { return IsAssigned(r); });
    if (first != slots_.end()) {
        colour_ = first->colour & 0xFFFFFF;
        folder = FolderPart(PathOf(*first));
    }
    // Samples elsewhere than on a fixed drive stay as they are; only the
    // browsing starts on one.
    if (folder.empty() || !services_.folderExists(folder) || !services_.onFixedDrive(folder)) {
        folder = services_.defaultFolder;
    }
    browseFolder_ = WithTrailingSlash(folder);
    mask_ = services_.registry.Dword(settings::kBlockMask) & block::kAll;
}

std::vector<std::string> BlockAssignModel::UsedFileNames() const {
    std::vector<std::string> names;
    for (const ButtonRecord& slot : slots_) {
        if (IsAssigned(slot) &&
            WithTrailingSlash(FolderPart(PathOf(slot))) == WithTrailingSlash(browseFolder_)) {
            names.push_back(FileNamePart(PathOf(slot)));
        }
    }
    return names;
}

BlockValues BlockAssignModel::InitialValues() const {
    BlockValues values;
    values.colour = colour_;
    if (slots_.empty()) {
        return values;
    }
    const ButtonRecord& r = slots_.front();
    const FlagBoxes boxes = BoxesFromFlags(r.flags);
    values.output = r.output;
    values.playWhileTriggered = boxes.playWhileTriggered;
    values.pause = boxes.pause;
    values.loop = r.loop != 0;
    values.buzzersAndBells = boxes.buzzersAndBells;
    values.stopAll = boxes.stopAll;
    values.stopGroup1 = boxes.stopGroup1;
    values.stopGroup2 = boxes.stopGroup2;
    values.stopGroup3 = boxes.stopGroup3;
    values.midiChannel = std::min<int>(r.midiChannel, kMaxMidiChannel);
    values.startNote = std::min<int>(r.midiNote, kMaxMidiNote);
    values.startKeyItem = BlockKeyItemOf(r.triggerKey);
    values.startGameItem = std::min<int>(r.gameTrigger, kMaxGameTrigger);
    if (IsAssigned(r)) {
        values.volume = std::min<int>(r.volume, kMaxVolume);
        values.pan = std::min<int>(r.pan, kMaxPan);
        values.varispeed = std::clamp<int>(r.varispeed, block::kMinVarispeed, block::kMaxVarispeed);
    }
    values.fadeIn = std::min<int>(r.fadeIn, kMaxFade);
    values.fadeOut = std::min<int>(r.fadeOut, kMaxFade);
    values.startGroup = std::min<int>(r.startGroup, kMaxStartGroup);
    return values;
}

ButtonRecord BlockAssignModel::DefaultSlot() const {
    ButtonRecord record{};
    const uint32_t output = services_.registry.Dword(settings::kButtonOutput);
    record.output = static_cast<uint8_t>(output <= 0xFF ? output : 0);
    record.volume = 100;
    record.pan = 100;
    record.varispeed = 100;
    record.colour = colour_;
    return record;
}

std::vector<bool> BlockAssignModel::Apply(const BlockValues& v,
                                          const std::vector<std::string>& files,
                                          bool selectionTouched) {
    std::vector<bool> newFile(slots_.size(), false);
    if (IsTicked(block::kSamples) && selectionTouched) {
        for (size_t k = 0; k < slots_.size(); ++k) {
            ButtonRecord& slot = slots_[k];
            if (files.empty()) {
                slot = ButtonRecord{};
                continue;
            }
            const std::string& name = files[k % files.size()];
            const std::string path = WithTrailingSlash(browseFolder_) + name;
            if (!PathFitsRecord(path)) {
                continue;
            }
            if (!IsAssigned(slot)) {
                slot = DefaultSlot();
            }
            newFile[k] = !SameName(std::string(PathOf(slot)), path);
            SetPath(slot, path);
            SetCaption(slot, CutOnCharacter(FileNamePart(StripExtension(name)), kMaxCaptionBytes));
            slot.status = STATUS_ASSIGNED;
        }
    }
    int keyItem = std::clamp(v.startKeyItem, 0, kBlockKeyItemCount - 1);
    int note = v.startNote;
    int game = std::clamp<int>(v.startGameItem, 0, kMaxGameTrigger);
    for (ButtonRecord& slot : slots_) {
        if (!IsAssigned(slot)) {
            continue;
        }
        if (IsTicked(block::kOutput)) {
            slot.output = static_cast<uint8_t>(std::clamp(v.output, 0, 0xFF));
        }
        auto setFlag = [&slot](uint8_t bit, bool on) {
            slot.flags = static_cast<uint8_t>(on ? slot.flags | bit : slot.flags & ~bit);
        };
        if (IsTicked(block::kPlayWhileTriggered)) {
            setFlag(kFlagPlayWhileTriggered, v.playWhileTriggered);
        }
        if (IsTicked(block::kPause)) {
            setFlag(kFlagPause, v.pause);
        }
        if (IsTicked(block::kLoop)) {
            slot.loop = v.loop ? 1 : 0;
        }
        if (IsTicked(block::kBuzzersAndBells)) {
            setFlag(kFlagBuzzersAndBells, v.buzzersAndBells);
        }
        if (IsTicked(block::kStopGroups)) {
            setFlag(kFlagStopAll, v.stopAll);
            setFlag(kFlagStopGroup1, v.stopGroup1);
            setFlag(kFlagStopGroup2, v.stopGroup2);
            setFlag(kFlagStopGroup3, v.stopGroup3);
        }
        if (IsTicked(block::kMidi) && note >= 0) {
            if (note == 0) {
                slot.midiNote = 0;
                slot.midiChannel = 0;
            } else {
                slot.midiChannel = static_cast<uint8_t>(std::clamp<int>(v.midiChannel, 0, 16));
                slot.midiNote = static_cast<uint8_t>(note);
                note = note >= kMaxMidiNote ? 1 : note + 1;
            }
        }
        if (IsTicked(block::kKeys)) {
            slot.triggerKey = static_cast<uint8_t>(KeyOfItem(keyItem));
        }
        if (IsTicked(block::kGame)) {
            slot.gameTrigger = static_cast<uint8_t>(game);
            if (game != 0) {
                game = game >= kMaxGameTrigger ? 1 : game + 1;
            }
        }
        if (IsTicked(block::kColour)) {
            slot.colour = v.colour & 0xFFFFFF;
        }
        if (IsTicked(block::kVolume)) {
            slot.volume = static_cast<uint8_t>(std::clamp<int>(v.volume, 0, kMaxVolume));
        }
        if (IsTicked(block::kPan)) {
            slot.pan = static_cast<uint8_t>(std::clamp<int>(v.pan, 0, kMaxPan));
        }
        if (IsTicked(block::kVarispeed)) {
            slot.varispeed = static_cast<uint16_t>(
                std::clamp(v.varispeed, block::kMinVarispeed, block::kMaxVarispeed));
        }
        if (IsTicked(block::kFadeIn)) {
            slot.fadeIn = static_cast<uint16_t>(std::clamp<int>(v.fadeIn, 0, kMaxFade));
        }
        if (IsTicked(block::kFadeOut)) {
            slot.fadeOut = static_cast<uint16_t>(std::clamp<int>(v.fadeOut, 0, kMaxFade));
        }
        if (IsTicked(block::kStartGroup)) {
            slot.startGroup =
                static_cast<uint8_t>(std::clamp<int>(v.startGroup, 0, kMaxStartGroup));
        }
    }
    for (ButtonRecord& slot : slots_) {
        if (!IsAssigned(slot)) {
            slot = ButtonRecord{};
        }
    }
    services_.registry.SetDword(settings::kBlockMask, mask_);
    services_.registry.SetString(settings::kFileFolder, browseFolder_);
    if (!slots_.empty()) {
        services_.registry.SetDword(settings::kButtonOutput, slots_.front().output);
    }
    return newFile;
}

}  // namespace tamberline

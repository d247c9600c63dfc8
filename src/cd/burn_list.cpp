#include "cd/burn_list.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/little_endian.h"

namespace tamberline {

namespace {

void PutText(uint8_t* field, const std::string& text) {
    const size_t n = std::min(text.size(), kBurnPathField - 1);
    std::memcpy(field, text.data(), n);
}

std::string GetText(const uint8_t* field) {
    const auto* end = static_cast<const uint8_t*>(std::memchr(field, 0, kBurnPathField));
    const size_t n = end ? static_cast<size_t>(end - field) : kBurnPathField - 1;
    return std::string(reinterpret_cast<const char*>(field), n);
}

}  // namespace

void EncodeBurnSlot(const BurnSlot& slot, uint8_t* out) {
    std::memset(out, 0, kBurnSlotSize);
    PutText(out, slot.path);
    PutText(out + 260, slot.name);
    le::PutU32(out + 520, static_cast<uint32_t>(slot.fileSize));
    le::PutU32(out + 524, slot.dataSize);
    le::PutU32(out + 528, static_cast<uint32_t>(slot.dataOffset));
    le::PutU32(out + 532, kSlotUsed);
}

std::optional<BurnSlot> DecodeBurnSlot(const uint8_t* in) {
    if (le::GetU32(in + 532) != kSlotUsed) {
        return std::nullopt;
    }
    BurnSlot slot;
    slot.path = GetText(in);
    slot.name = GetText(in + 260);
    slot.fileSize = static_cast<int32_t>(le::GetU32(in + 520));
    slot.dataSize = le::GetU32(in + 524);
    slot.dataOffset = static_cast<int32_t>(le::GetU32(in + 528));
    if (slot.path.empty()) {
        return std::nullopt;
    }
    return slot;
}

BurnList BurnList::FromFile(std::span<const uint8_t> bytes) {
    BurnList list;
    if (bytes.size() != kBurnListFileSize) {
        return list;
    }
    for (int i = 0; i < kBurnSlots; ++i) {
        if (auto slot = DecodeBurnSlot(bytes.data() + i * kBurnSlotSize)) {
            list.tracks_.push_back(std::move(*slot));
        }
    }
    return list;
}

std::vector<uint8_t> BurnList::ToFile() const {
    std::vector<uint8_t> bytes(kBurnListFileSize, 0);
    for (size_t i = 0; i < tracks_.size() && i < static_cast<size_t>(kBurnSlots); ++i) {
        EncodeBurnSlot(tracks_[i], bytes.data() + i * kBurnSlotSize);
    }
    return bytes;
}

uint64_t BurnList::totalBytes() const {
    uint64_t total = 0;
    for (const BurnSlot& slot : tracks_) {
        total += slot.dataSize;
    }
    return total;
}

std::string BurnList::Line(int number, const std::string& name) {
    char head[16];
    std::snprintf(head, sizeof head, "%2d. ", number);
    return head + name;
}

std::vector<std::string> BurnList::Lines() const {
    std::vector<std::string> lines;
    for (size_t i = 0; i < tracks_.size(); ++i) {
        lines.push_back(Line(static_cast<int>(i) + 1, tracks_[i].name));
    }
    return lines;
}

std::string BurnList::CapacityLabel() const {
    const uint64_t total = totalBytes();
    if (total == 0) {
        return "Burn list.";
    }
    if (count() >= kBurnSlots) {
        return "Burn list : 99 tracks, disc full.";
    }
    const double remaining =
        100.0 - static_cast<double>(total) * 100.0 / static_cast<double>(kDiscCapacityBytes);
    char text[96];
    std::snprintf(text, sizeof text, "Burn list : %d tracks, %d%% disc remaining.", count(),
                  static_cast<int>(remaining));
    return text;
}

std::vector<std::pair<int, BurnSlot>> BurnList::Revalidate(const WavValidator& check, bool always) {
    std::vector<std::pair<int, BurnSlot>> removed;
    std::vector<BurnSlot> kept;
    for (size_t i = 0; i < tracks_.size(); ++i) {
        BurnSlot slot = tracks_[i];
        WavInfo info;
        bool recheck = always;
        if (!recheck) {
            info = check(slot.path);
            recheck = info.fileSize != slot.fileSize;
        } else {
            info = check(slot.path);
        }
        if (recheck) {
            if (!info.valid) {
                removed.emplace_back(static_cast<int>(i) + 1, slot);
                continue;
            }
            slot.fileSize = static_cast<int32_t>(info.fileSize);
            slot.dataSize = info.dataSize;
            slot.dataOffset = info.dataOffset;
        }
        kept.push_back(std::move(slot));
    }
    tracks_ = std::move(kept);
    return removed;
}

BurnList::AddResult BurnList::Add(const std::string& folder, const std::vector<std::string>& names,
                                  std::optional<int> insertAt, const WavValidator& check) {
    AddResult result;
    int at = insertAt ? std::clamp(*insertAt, 0, count()) : count();
    for (size_t i = 0; i < names.size(); ++i) {
        if (full()) {
            result.discFull = true;
            break;
        }
        BurnSlot slot;
        slot.path = folder + names[i];
        slot.name = names[i];
        const WavInfo info = check(slot.path);
        if (!info.valid || slot.path.size() >= kBurnPathField ||
            slot.name.size() >= kBurnPathField) {
            result.anyInvalid = true;
            result.invalid.push_back(static_cast<int>(i));
            continue;
        }
        if (totalBytes() + info.dataSize > kDiscCapacityBytes) {
            result.discFull = true;
            break;
        }
        slot.fileSize = static_cast<int32_t>(info.fileSize);
        slot.dataSize = info.dataSize;
        slot.dataOffset = info.dataOffset;
        tracks_.insert(tracks_.begin() + at, std::move(slot));
        std::set<int> shifted;
        for (int row : result.newRows) {
            shifted.insert(row >= at ? row + 1 : row);
        }
        shifted.insert(at);
        result.newRows = std::move(shifted);
        ++at;
        ++result.added;
    }
    if (full()) {
        result.discFull = true;
    }
    return result;
}

std::string BurnList::AddMessage(const AddResult& result) {
    std::string text;
    if (result.discFull) {
        text += "The disc is full.\n\n";
    }
    if (result.anyInvalid) {
        text +=
            "One or more files selected\nwas an invalid format.\nCD audio is 16bit, 44100Hz, 2 "
            "Track.";
    }
    return text;
}

void BurnList::Remove(const std::set<int>& rows) {
    std::vector<BurnSlot> kept;
    for (size_t i = 0; i < tracks_.size(); ++i) {
        if (!rows.count(static_cast<int>(i))) {
            kept.push_back(std::move(tracks_[i]));
        }
    }
    tracks_ = std::move(kept);
}

std::set<int> BurnList::MoveUp(const std::set<int>& rows) {
    std::set<int> moved;
    std::vector<bool> sel(tracks_.size(), false);
    for (int r : rows) {
        if (r >= 0 && r < count())
            sel[r] = true;
    }
    for (int i = 1; i < count(); ++i) {
        if (sel[i] && !sel[i - 1]) {
            std::swap(tracks_[i], tracks_[i - 1]);
            sel[i - 1] = true;
            sel[i] = false;
        }
    }
    for (int i = 0; i < count(); ++i) {
        if (sel[i])
            moved.insert(i);
    }
    return moved;
}

std::set<int> BurnList::MoveDown(const std::set<int>& rows) {
    std::set<int> moved;
    std::vector<bool> sel(tracks_.size(), false);
    for (int r : rows) {
        if (r >= 0 && r < count())
            sel[r] = true;
    }
    for (int i = count() - 2; i >= 0; --i) {
        if (sel[i] && !sel[i + 1]) {
            std::swap(tracks_[i], tracks_[i + 1]);
            sel[i + 1] = true;
            sel[i] = false;
        }
    }
    for (int i = 0; i < count(); ++i) {
        if (sel[i])
            moved.insert(i);
    }
    return moved;
}

std::vector<int> BurnList::DropMissing(const std::function<bool(const std::string&)>& exists) {
    std::vector<int> dropped;
    std::vector<BurnSlot> kept;
    for (size_t i = 0; i < tracks_.size(); ++i) {
        if (exists(tracks_[i].path)) {
            kept.push_back(std::move(tracks_[i]));
        } else {
            dropped.push_back(static_cast<int>(i));
        }
    }
    tracks_ = std::move(kept);
    return dropped;
}

uint32_t TrackBlocks(uint32_t dataSize) {
    return std::max<uint32_t>(dataSize / 2352 + 1, 375);
}

}  // namespace tamberline

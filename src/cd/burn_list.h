#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace tamberline {

// The CD burner's list of tracks: 99 slots of 536 bytes, kept
// packed (slot k holds track k + 1, no used slot after a free one).
inline constexpr int kBurnSlots = 99;
inline constexpr size_t kBurnSlotSize = 536;
inline constexpr size_t kBurnListFileSize = kBurnSlots * kBurnSlotSize;  // 53,064
inline constexpr uint64_t kDiscCapacityBytes = 734003200;
inline constexpr size_t kBurnPathField = 260;
inline constexpr uint32_t kSlotUsed = 9;

struct BurnSlot {
    std::string path;  // at most 259 bytes
    std::string name;  // at most 259 bytes
    int32_t fileSize = 0;
    uint32_t dataSize = 0;
    int32_t dataOffset = 0;
};

// What the WAV check found before a slot is kept.
struct WavInfo {
    bool valid = false;
    int64_t fileSize = -1;  // -1: missing
    uint32_t dataSize = 0;
    int32_t dataOffset = 0;
};
using WavValidator = std::function<WavInfo(const std::string& path)>;

// The slot as stored: 536 bytes, little-endian.
void EncodeBurnSlot(const BurnSlot& slot, uint8_t* out);
// A used slot of the file; nullopt for a free or malformed one (state not 9,
// empty path).
std::optional<BurnSlot> DecodeBurnSlot(const uint8_t* in);

class BurnList {
public:
    // The file's bytes: any length other than 53,064 gives the empty list.
    // Used slots are taken in order, so the list is packed whatever the file
    // held.
    static BurnList FromFile(std::span<const uint8_t> bytes);
    std::vector<uint8_t> ToFile() const;

    const std::vector<BurnSlot>& tracks() const { return tracks_; }
    int count() const { return static_cast<int>(tracks_.size()); }
    bool full() const { return count() >= kBurnSlots; }
    uint64_t totalBytes() const;

    // The burn-list lines "%2d. %s".
    std::vector<std::string> Lines() const;
    static std::string Line(int number, const std::string& name);
    // The capacity label.
    std::string CapacityLabel() const;

    // Checks each track whose file size changed (a missing file counts as
    // changed); tracks no longer valid leave the list (which stays packed).
    // Returns the removed tracks, with their 1-based numbers as they were.
    std::vector<std::pair<int, BurnSlot>> Revalidate(const WavValidator& check, bool always);

    struct AddResult {
        int added = 0;
        bool discFull = false;  // slot 99 used or the byte limit reached
        bool anyInvalid = false;
        std::vector<int> invalid;  // indexes into `names` that were invalid
        std::set<int> newRows;     // rows of the tracks added
    };
    // Adds folder + name for each name in order; inserted at `insertAt`
    // (0-based row) when given, else appended.
    AddResult Add(const std::string& folder, const std::vector<std::string>& names,
                  std::optional<int> insertAt, const WavValidator& check);
    // The message after adding ("" when none is needed).
    static std::string AddMessage(const AddResult& result);

    void Remove(const std::set<int>& rows);
    std::set<int> MoveUp(const std::set<int>& rows);
    std::set<int> MoveDown(const std::set<int>& rows);
    void Clear() { tracks_.clear(); }
    // Drops tracks whose file is gone (the folder-changed rule).
    std::vector<int> DropMissing(const std::function<bool(const std::string&)>& exists);

private:
    std::vector<BurnSlot> tracks_;
};

// "Burn list is full.\n" ...
inline constexpr const char* kBurnListFullText =
    "Burn list is full.\nAn audio CD holds up to 99 tracks.";
inline constexpr const char* kSelectToAddText = "Select a sample to add.";
inline constexpr const char* kSelectToRemoveText = "Select a sample to remove.";
inline constexpr const char* kSelectToMoveText = "Select a sample to move.";

// Blocks written for a track of `dataSize` audio bytes: size / 2352 + 1,
// at least 375 (five seconds).
uint32_t TrackBlocks(uint32_t dataSize);

}  // namespace tamberline

#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace tamberline {

inline constexpr int kButtonCount = 336;
inline constexpr int kButtonsPerPage = 42;
inline constexpr int kPageCount = kButtonCount / kButtonsPerPage;
inline constexpr size_t kRecordSize = 592;
inline constexpr size_t kSessionFileSize = kButtonCount * kRecordSize;  // 198,912
inline constexpr size_t kPathSize = 260;
inline constexpr size_t kCaptionSize = 256;

// Values of `status`. Only STATUS_ASSIGNED makes a button assigned; LOST and
// EDITED live only while the sample check runs.
inline constexpr uint8_t STATUS_EMPTY = 0;
inline constexpr uint8_t STATUS_EDITED = 7;
inline constexpr uint8_t STATUS_LOST = 8;
inline constexpr uint8_t STATUS_ASSIGNED = 9;

// Bits of `flags`.
inline constexpr uint8_t kFlagStopAll = 0x01;
inline constexpr uint8_t kFlagStopGroup1 = 0x02;
inline constexpr uint8_t kFlagStopGroup2 = 0x04;
inline constexpr uint8_t kFlagStopGroup3 = 0x08;
inline constexpr uint8_t kFlagBuzzersAndBells = 0x10;
inline constexpr uint8_t kFlagReserved = 0x20;  // never tested, kept 0
inline constexpr uint8_t kFlagPause = 0x40;
inline constexpr uint8_t kFlagPlayWhileTriggered = 0x80;

// One button, laid out exactly as its 592 bytes in a session file. The
// reserved areas are kept as read so that bytes written by other tools
// survive a load and save. Value-initialise ({}) for an empty button.
struct ButtonRecord {
    char path[kPathSize];
    uint8_t output;
    uint8_t volume;
    uint8_t pan;
    uint8_t reserved107;
    uint16_t varispeed;
    uint8_t flags;
    uint8_t midiNote;
    uint8_t midiChannel;
    uint8_t triggerKey;
    uint8_t gameTrigger;
    uint8_t reserved10F;
    uint16_t fadeIn;
    uint16_t fadeOut;
    uint32_t colour;  // 0x00BBGGRR
    char caption[kCaptionSize];
    uint8_t loop;
    uint8_t status;
    uint8_t reserved21A[2];
    int32_t fileSize;
    uint8_t multiChannel;
    uint8_t reserved221[23];
    uint32_t durationMs;
    uint8_t hasSegments;
    uint8_t reserved23D[11];
    uint32_t startTime;  // frames at 30 per second
    uint8_t startTimeOn;
    uint8_t startGroup;
    uint8_t reserved24E[2];
};

static_assert(std::is_standard_layout_v<ButtonRecord>);
static_assert(std::is_trivially_copyable_v<ButtonRecord>);
static_assert(sizeof(ButtonRecord) == kRecordSize);
static_assert(offsetof(ButtonRecord, path) == 0x000);
static_assert(offsetof(ButtonRecord, output) == 0x104);
static_assert(offsetof(ButtonRecord, volume) == 0x105);
static_assert(offsetof(ButtonRecord, pan) == 0x106);
static_assert(offsetof(ButtonRecord, reserved107) == 0x107);
static_assert(offsetof(ButtonRecord, varispeed) == 0x108);
static_assert(offsetof(ButtonRecord, flags) == 0x10A);
static_assert(offsetof(ButtonRecord, midiNote) == 0x10B);
static_assert(offsetof(ButtonRecord, midiChannel) == 0x10C);
static_assert(offsetof(ButtonRecord, triggerKey) == 0x10D);
static_assert(offsetof(ButtonRecord, gameTrigger) == 0x10E);
static_assert(offsetof(ButtonRecord, reserved10F) == 0x10F);
static_assert(offsetof(ButtonRecord, fadeIn) == 0x110);
static_assert(offsetof(ButtonRecord, fadeOut) == 0x112);
static_assert(offsetof(ButtonRecord, colour) == 0x114);
static_assert(offsetof(ButtonRecord, caption) == 0x118);
static_assert(offsetof(ButtonRecord, loop) == 0x218);
static_assert(offsetof(ButtonRecord, status) == 0x219);
static_assert(offsetof(ButtonRecord, reserved21A) == 0x21A);
static_assert(offsetof(ButtonRecord, fileSize) == 0x21C);
static_assert(offsetof(ButtonRecord, multiChannel) == 0x220);
static_assert(offsetof(ButtonRecord, reserved221) == 0x221);
static_assert(offsetof(ButtonRecord, durationMs) == 0x238);
static_assert(offsetof(ButtonRecord, hasSegments) == 0x23C);
static_assert(offsetof(ButtonRecord, reserved23D) == 0x23D);
static_assert(offsetof(ButtonRecord, startTime) == 0x248);
static_assert(offsetof(ButtonRecord, startTimeOn) == 0x24C);
static_assert(offsetof(ButtonRecord, startGroup) == 0x24D);
static_assert(offsetof(ButtonRecord, reserved24E) == 0x24E);

// The whole session: record 0 first.
using RecordArray = std::array<ButtonRecord, kButtonCount>;

// Little-endian conversion, independent of the host's byte order.
ButtonRecord DecodeRecord(std::span<const uint8_t, kRecordSize> bytes);
void EncodeRecord(const ButtonRecord& record, std::span<uint8_t, kRecordSize> out);
void DecodeSession(std::span<const uint8_t, kSessionFileSize> bytes, RecordArray& records);
std::vector<uint8_t> EncodeSession(const RecordArray& records);

// The text of `path` and `caption`, up to the first NUL and never past the
// field, so a record from outside without a terminator is still safe.
std::string_view PathOf(const ButtonRecord& record);
std::string_view CaptionOf(const ButtonRecord& record);
// Stores text NUL-terminated, cut to fit, the rest of the field zeroed.
void SetPath(ButtonRecord& record, std::string_view text);
void SetCaption(ButtonRecord& record, std::string_view text);

inline bool IsAssigned(const ButtonRecord& record) {
    return record.status == STATUS_ASSIGNED;
}

// True when any field the user sets differs. Run data (fileSize,
// multiChannel, durationMs, hasSegments) and reserved bytes never count.
bool RecordsDiffer(const ButtonRecord& a, const ButtonRecord& b);

// The ranges of the fields used as an index, a count or a level.
inline constexpr uint8_t kMaxVolume = 100;
inline constexpr uint8_t kMaxPan = 200;
inline constexpr uint8_t kMaxMidiNote = 127;
inline constexpr uint8_t kMaxMidiChannel = 16;
inline constexpr uint8_t kFirstKeyCode = 0x40;  // trigger keys: 0 or one of these
inline constexpr uint8_t kLastKeyCode = 0x7B;
inline constexpr uint8_t kMaxGameTrigger = 128;
inline constexpr uint16_t kMaxFade = 36000;
inline constexpr uint8_t kMaxStartGroup = 16;

// Brings every user field of an assigned record from outside into its
// range: a trigger out of range becomes none, a level or time the nearest
// value in range, `loop` 0 or 1. (Varispeed is clamped where it is played;
// the output row is checked against the outputs of the day.) True when
// anything changed.
bool NormaliseFields(ButtonRecord& record);

// True when every byte is zero.
bool IsZeroRecord(const ButtonRecord& record);

}  // namespace tamberline

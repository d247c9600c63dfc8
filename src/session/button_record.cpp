#include "session/button_record.h"

#include <algorithm>
#include <cstring>

#include "base/little_endian.h"

namespace tamberline {

namespace {

// Copies the bytes of a field between the record and the file image.
template <typename Field>
void ReadBytes(Field& field, const uint8_t* bytes, size_t offset) {
    std::memcpy(&field, bytes + offset, sizeof(Field));
}

template <typename Field>
void WriteBytes(const Field& field, uint8_t* bytes, size_t offset) {
    std::memcpy(bytes + offset, &field, sizeof(Field));
}

std::string_view BoundedText(const char* text, size_t size) {
    const char* end = std::find(text, text + size, '\0');
    return std::string_view(text, static_cast<size_t>(end - text));
}

void StoreText(char* field, size_t size, std::string_view text) {
    const size_t n = std::min(text.size(), size - 1);
    std::memcpy(field, text.data(), n);
    std::memset(field + n, 0, size - n);
}

}  // namespace

#define TB_OFFSET(field) offsetof(ButtonRecord, field)

ButtonRecord DecodeRecord(std::span<const uint8_t, kRecordSize> in) {
    const uint8_t* b = in.data();
    ButtonRecord r{};
    ReadBytes(r.path, b, TB_OFFSET(path));
    r.output = b[TB_OFFSET(output)];
    r.volume = b[TB_OFFSET(volume)];
    r.pan = b[TB_OFFSET(pan)];
    r.reserved107 = b[TB_OFFSET(reserved107)];
    r.varispeed = le::GetU16(b + TB_OFFSET(varispeed));
    r.flags = b[TB_OFFSET(flags)];
    r.midiNote = b[TB_OFFSET(midiNote)];
    r.midiChannel = b[TB_OFFSET(midiChannel)];
    r.triggerKey = b[TB_OFFSET(triggerKey)];
    r.gameTrigger = b[TB_OFFSET(gameTrigger)];
    r.reserved10F = b[TB_OFFSET(reserved10F)];
    r.fadeIn = le::GetU16(b + TB_OFFSET(fadeIn));
    r.fadeOut = le::GetU16(b + TB_OFFSET(fadeOut));
    r.colour = le::GetU32(b + TB_OFFSET(colour));
    ReadBytes(r.caption, b, TB_OFFSET(caption));
    r.loop = b[TB_OFFSET(loop)];
    r.status = b[TB_OFFSET(status)];
    ReadBytes(r.reserved21A, b, TB_OFFSET(reserved21A));
    r.fileSize = static_cast<int32_t>(le::GetU32(b + TB_OFFSET(fileSize)));
    r.multiChannel = b[TB_OFFSET(multiChannel)];
    ReadBytes(r.reserved221, b, TB_OFFSET(reserved221));
    r.durationMs = le::GetU32(b + TB_OFFSET(durationMs));
    r.hasSegments = b[TB_OFFSET(hasSegments)];
    ReadBytes(r.reserved23D, b, TB_OFFSET(reserved23D));
    r.startTime = le::GetU32(b + TB_OFFSET(startTime));
    r.startTimeOn = b[TB_OFFSET(startTimeOn)];
    r.startGroup = b[TB_OFFSET(startGroup)];
    ReadBytes(r.reserved24E, b, TB_OFFSET(reserved24E));
    return r;
}

void EncodeRecord(const ButtonRecord& r, std::span<uint8_t, kRecordSize> out) {
    uint8_t* b = out.data();
    WriteBytes(r.path, b, TB_OFFSET(path));
    b[TB_OFFSET(output)] = r.output;
    b[TB_OFFSET(volume)] = r.volume;
    b[TB_OFFSET(pan)] = r.pan;
    b[TB_OFFSET(reserved107)] = r.reserved107;
    le::PutU16(b + TB_OFFSET(varispeed), r.varispeed);
    b[TB_OFFSET(flags)] = r.flags;
    b[TB_OFFSET(midiNote)] = r.midiNote;
    b[TB_OFFSET(midiChannel)] = r.midiChannel;
    b[TB_OFFSET(triggerKey)] = r.triggerKey;
    b[TB_OFFSET(gameTrigger)] = r.gameTrigger;
    b[TB_OFFSET(reserved10F)] = r.reserved10F;
    le::PutU16(b + TB_OFFSET(fadeIn), r.fadeIn);
    le::PutU16(b + TB_OFFSET(fadeOut), r.fadeOut);
    le::PutU32(b + TB_OFFSET(colour), r.colour);
    WriteBytes(r.caption, b, TB_OFFSET(caption));
    b[TB_OFFSET(loop)] = r.loop;
    b[TB_OFFSET(status)] = r.status;
    WriteBytes(r.reserved21A, b, TB_OFFSET(reserved21A));
    le::PutU32(b + TB_OFFSET(fileSize), static_cast<uint32_t>(r.fileSize));
    b[TB_OFFSET(multiChannel)] = r.multiChannel;
    WriteBytes(r.reserved221, b, TB_OFFSET(reserved221));
    le::PutU32(b + TB_OFFSET(durationMs), r.durationMs);
    b[TB_OFFSET(hasSegments)] = r.hasSegments;
    WriteBytes(r.reserved23D, b, TB_OFFSET(reserved23D));
    le::PutU32(b + TB_OFFSET(startTime), r.startTime);
    b[TB_OFFSET(startTimeOn)] = r.startTimeOn;
    b[TB_OFFSET(startGroup)] = r.startGroup;
    WriteBytes(r.reserved24E, b, TB_OFFSET(reserved24E));
}

#undef TB_OFFSET

void DecodeSession(std::span<const uint8_t, kSessionFileSize> bytes, RecordArray& records) {
    for (size_t i = 0; i < records.size(); ++i) {
        records[i] = DecodeRecord(bytes.subspan(i * kRecordSize).first<kRecordSize>());
    }
}

std::vector<uint8_t> EncodeSession(const RecordArray& records) {
    std::vector<uint8_t> bytes(kSessionFileSize);
    for (size_t i = 0; i < records.size(); ++i) {
        EncodeRecord(records[i],
                     std::span<uint8_t, kRecordSize>(bytes.data() + i * kRecordSize, kRecordSize));
    }
    return bytes;
}

std::string_view PathOf(const ButtonRecord& record) {
    return BoundedText(record.path, kPathSize);
}

std::string_view CaptionOf(const ButtonRecord& record) {
    return BoundedText(record.caption, kCaptionSize);
}

void SetPath(ButtonRecord& record, std::string_view text) {
    StoreText(record.path, kPathSize, text);
}

void SetCaption(ButtonRecord& record, std::string_view text) {
    StoreText(record.caption, kCaptionSize, text);
}

bool RecordsDiffer(const ButtonRecord& a, const ButtonRecord& b) {
    return PathOf(a) != PathOf(b) || a.output != b.output || a.volume != b.volume ||
           a.pan != b.pan || a.varispeed != b.varispeed || a.flags != b.flags ||
           a.midiNote != b.midiNote || a.midiChannel != b.midiChannel ||
           a.triggerKey != b.triggerKey || a.gameTrigger != b.gameTrigger || a.fadeIn != b.fadeIn ||
           a.fadeOut != b.fadeOut || a.colour != b.colour || CaptionOf(a) != CaptionOf(b) ||
           a.loop != b.loop || a.status != b.status || a.startTime != b.startTime ||
           a.startTimeOn != b.startTimeOn || a.startGroup != b.startGroup;
}

namespace {

template <typename T>
void Put(T& field, T value, bool& changed) {
    if (field != value) {
        field = value;
        changed = true;
    }
}

}  // namespace

bool NormaliseFields(ButtonRecord& r) {
    bool changed = false;
    Put(r.volume, std::min(r.volume, kMaxVolume), changed);
    Put(r.pan, std::min(r.pan, kMaxPan), changed);
    if (r.midiNote > kMaxMidiNote) {
        Put(r.midiNote, uint8_t{0}, changed);
    }
    if (r.midiChannel > kMaxMidiChannel) {
        Put(r.midiChannel, uint8_t{0}, changed);
    }
    if (r.triggerKey != 0 && (r.triggerKey < kFirstKeyCode || r.triggerKey > kLastKeyCode)) {
        Put(r.triggerKey, uint8_t{0}, changed);
    }
    if (r.gameTrigger > kMaxGameTrigger) {
        Put(r.gameTrigger, uint8_t{0}, changed);
    }
    Put(r.fadeIn, std::min(r.fadeIn, kMaxFade), changed);
    Put(r.fadeOut, std::min(r.fadeOut, kMaxFade), changed);
    Put(r.loop, static_cast<uint8_t>(r.loop != 0 ? 1 : 0), changed);
    Put(r.startTimeOn, static_cast<uint8_t>(r.startTimeOn != 0 ? 1 : 0), changed);
    if (r.startGroup > kMaxStartGroup) {
        Put(r.startGroup, uint8_t{0}, changed);
    }
    return changed;
}

bool IsZeroRecord(const ButtonRecord& record) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(&record);
    return std::all_of(bytes, bytes + sizeof record, [](uint8_t b) { return b == 0; });
}

}  // namespace tamberline

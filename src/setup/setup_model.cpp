#include "setup/setup_model.h"

#include <algorithm>

#include "base/message_box.h"
#include "base/path_parts.h"
#include "session/registry.h"
#include "session/settings.h"
#include "setup/setup_texts.h"
#include "songlist/playlist_reader.h"
#include "triggers/key_triggers.h"

namespace tamberline {

SetupButtonModel::SetupButtonModel(const SetupServices& services, int button,
                                   const ButtonRecord& record)
    : services_(services), button_(button), record_(record) {}

std::string SetupButtonModel::Title() const {
    return "Setup Button " + std::to_string(button_ + 1);
}

void SetupButtonModel::SetBrowseFolder(const std::string& folder) {
    browseFolder_ = folder;
}

bool SetupButtonModel::showDataEnabled() const {
    return IsAssigned(record_) && (sample_.isSonglist || sample_.hasSegments);
}

void SetupButtonModel::Open() {
    record_.varispeed =
        static_cast<uint16_t>(std::clamp<int>(record_.varispeed, kMinVarispeed, kMaxVarispeed));
    std::string folder = services_.registry.String(settings::kFileFolder);
    if (IsAssigned(record_)) {
        folder = FolderPart(PathOf(record_));
    }
    // A sample on a stick or a network disk stays as it is; only browsing
    // starts on a fixed drive.
    if (folder.empty() || !services_.folderExists(folder) || !services_.onFixedDrive(folder)) {
        folder = services_.defaultFolder;
    }
    browseFolder_ = folder;
    if (!IsAssigned(record_)) {
        Clear();
        return;
    }
    sample_ = ProbedSample{};
    sample_.isSonglist = IsPlaylistFile(std::string(PathOf(record_)));
    sample_.hasSegments = record_.hasSegments != 0;
    sample_.durationMs = static_cast<int32_t>(record_.durationMs);
    varispeedShown_ = !sample_.isSonglist;
    normalMs_ = RescaleDuration(record_.durationMs, record_.varispeed, 100);
    if (record_.output >= services_.outputRows) {
        record_.output = 0;
    }
    LimitFades();
}

bool SetupButtonModel::AssignFile(const std::string& path) {
    if (!PathFitsRecord(path)) {
        services_.box.Show(path + kPathTooLong, mb::kOk | mb::kIconStop);
        return false;
    }
    ProbedSample probed;
    if (!services_.probe.Probe(path, record_.output, probed)) {
        services_.reportSampleError(path, probed.errorKind);
        return false;
    }
    if (probed.entriesMissing) {
        services_.box.Show("Not all the files in the songlist\ncould be found.",
                           mb::kOk | mb::kIconInformation);
    }
    const bool wasAssigned = IsAssigned(record_);
    SetPath(record_, path);
    SetCaption(record_, CutOnCharacter(FileNamePart(StripExtension(path)), kMaxCaptionBytes));
    if (!wasAssigned) {
        record_.colour = services_.registry.Dword(settings::kButtonColour) & 0xFFFFFF;
    }
    record_.status = STATUS_ASSIGNED;
    record_.multiChannel = probed.multiChannel ? 1 : 0;
    record_.hasSegments = probed.hasSegments ? 1 : 0;
    varispeedShown_ = probed.canVarispeed && !probed.isSonglist;
    if (!varispeedShown_) {
        record_.varispeed = 100;
    }
    normalMs_ = static_cast<uint32_t>(std::max(probed.durationMs, 0));
    record_.durationMs = RescaleDuration(normalMs_, 100, record_.varispeed);
    sample_ = std::move(probed);
    LimitFades();
    return true;
}

void SetupButtonModel::Clear() {
    record_ = ClearedRecord(services_.registry, services_.outputRows);
    sample_ = ProbedSample{};
    varispeedShown_ = true;
    normalMs_ = 0;
}

void SetupButtonModel::SetOutput(int row) {
    record_.output = static_cast<uint8_t>(std::clamp(row, 0, services_.outputRows - 1));
    if (!IsAssigned(record_)) {
        return;
    }
    const std::string path(PathOf(record_));
    ProbedSample probed;
    if (!services_.probe.Probe(path, record_.output, probed)) {
        services_.reportSampleError(path, probed.errorKind);
        const uint8_t output = record_.output;
        Clear();
        record_.output = output;
        return;
    }
    sample_ = std::move(probed);
}

void SetupButtonModel::SetVolume(int volume) {
    record_.volume = static_cast<uint8_t>(std::clamp<int>(volume, 0, kMaxVolume));
}

void SetupButtonModel::SetPan(int pan) {
    record_.pan = static_cast<uint8_t>(std::clamp<int>(pan, 0, kMaxPan));
}

void SetupButtonModel::SetVarispeed(int varispeed) {
    const int to = std::clamp(varispeed, kMinVarispeed, kMaxVarispeed);
    // Always from the time at normal speed, so that stepping the bar through
    // many speeds never lets rounding drift.
    record_.durationMs = RescaleDuration(normalMs_, 100, to);
    record_.varispeed = static_cast<uint16_t>(to);
}

uint16_t SetupButtonModel::SetFade(bool fadeIn, long value) {
    uint16_t& fade = fadeIn ? record_.fadeIn : record_.fadeOut;
    const uint16_t other = fadeIn ? record_.fadeOut : record_.fadeIn;
    fade = IsAssigned(record_) ? LimitFade(value, other, record_.durationMs, record_.loop != 0) : 0;
    return fade;
}

void SetupButtonModel::LimitFades() {
    const bool loop = record_.loop != 0;
    record_.fadeIn = LimitFade(record_.fadeIn, record_.fadeOut, record_.durationMs, loop);
    record_.fadeOut = LimitFade(record_.fadeOut, record_.fadeIn, record_.durationMs, loop);
}

void SetupButtonModel::SetLoop(bool loop) {
    record_.loop = loop ? 1 : 0;
    if (!loop) {
        LimitFades();
    }
}

void SetupButtonModel::SetFlags(const FlagBoxes& boxes, int startGroup) {
    record_.flags = FlagsFromBoxes(boxes);
    record_.startGroup = static_cast<uint8_t>(std::clamp<int>(startGroup, 0, kMaxStartGroup));
}

void SetupButtonModel::ShowDuplicates(const char* heading, const std::vector<int>& buttons) {
    if (!buttons.empty()) {
        services_.box.Show(heading + ButtonNumberList(buttons), mb::kOk | mb::kIconInformation);
    }
}

void SetupButtonModel::ChooseMidi(int note, int channel) {
    note = std::clamp<int>(note, 0, kMaxMidiNote);
    channel = std::clamp<int>(channel, 0, kMaxMidiChannel);
    ShowDuplicates(kNoteDuplicates, ButtonsOnNote(services_.records, button_, note, channel));
    record_.midiNote = static_cast<uint8_t>(note);
    record_.midiChannel = static_cast<uint8_t>(channel);
}

void SetupButtonModel::CaptureKey(int code) {
    if (KeyName(code).empty()) {
        record_.triggerKey = 0;
        return;
    }
    record_.triggerKey = static_cast<uint8_t>(code);
    ShowDuplicates(kKeyDuplicates, ButtonsOnKey(services_.records, button_, code));
}

void SetupButtonModel::ChooseGameTrigger(int item) {
    record_.gameTrigger = static_cast<uint8_t>(std::clamp<int>(item, 0, kMaxGameTrigger));
    ShowDuplicates(kGameDuplicates,
                   ButtonsOnGameTrigger(services_.records, button_, record_.gameTrigger));
}

std::string SetupButtonModel::EnterStartTime(const std::string& text) {
    uint32_t frames = 0;
    if (!ParseStartTimeEntry(text, frames)) {
        record_.startTime = 0;
        record_.startTimeOn = 0;
        return {};
    }
    record_.startTime = frames;
    record_.startTimeOn = 1;
    return TimecodeText(frames);
}

ButtonRecord SetupButtonModel::Accept(const std::string& captionText) {
    if (!IsAssigned(record_)) {
        record_ = ButtonRecord{};
        return record_;
    }
    SetCaption(record_, CaptionForRecord(captionText, PathOf(record_)));
    services_.registry.SetString(settings::kFileFolder, browseFolder_);
    services_.registry.SetDword(settings::kButtonOutput, record_.output);
    return record_;
}

}  // namespace tamberline

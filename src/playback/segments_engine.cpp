// WAV play-list segments on the audio engine: a user stream of two slots
// played as a looping sentence; each slot is refilled with the next stretch
// of the file while the other one plays.
#include "playback/button_runner.h"
#include "playback/prepare_work.h"
#include "playback/sound/sound_system.h"

namespace tamberline {

namespace {

SoundFormat FormatOf(const WaveFormat& format) {
    if (format.formatTag == 3) {
        return SoundFormat::kPcmFloat;
    }
    switch (format.bitsPerSample) {
        case 8: return SoundFormat::kPcm8;
        case 32: return SoundFormat::kPcm32;
        default: return SoundFormat::kPcm16;
    }
}

// The current segment has been queued as often as it plays; 0 plays for ever.
bool SegmentDone(const WavSegment& segment) {
    return segment.loopCount != 0 && segment.counter >= segment.loopCount;
}

}  // namespace

bool ButtonRunner::CreateSegmentStream(int button, const PrepareWork& work) {
    ButtonRunState& s = states_[Index(button)];
    const WavSegmentTable& table = work.segments;
    const WaveFormat& format = work.format;
    if (table.segments.empty() || format.blockAlign == 0) {
        return false;
    }
    s.segments = table;
    s.rawInfo = {};
    s.rawInfo.channels = format.channels;
    s.rawInfo.sampleRate = static_cast<int>(format.samplesPerSec);
    s.rawInfo.format = FormatOf(format);
    // One segment played once fills the first slot alone: the sentence is
    // that slot, played through without looping, or it would loop for ever.
    const bool once = table.SegmentCount() == 1 && table.segments[0].loopCount == 1;
    UserStreamInfo info{format.channels, static_cast<int>(format.samplesPerSec), s.rawInfo.format,
                        once ? 1 : 2};
    if (engine_->CreateUserStream(info, once ? LoopMode::kOff : LoopMode::kNormal, s.sound) !=
        SoundResult::kOk) {
        s.sound = {};
        return false;
    }
    s.rawFile = work.rawFile;
    s.blockAlign = format.blockAlign;
    bool ok = QueueSegment(button, 0, false);
    if (ok && SegmentDone(s.segments.segments[0])) {
        ++s.segments.currentIndex;
    }
    if (ok && !once) {
        ok = QueueSegment(button, 1, false);
    }
    const std::vector<int> sentence = once ? std::vector<int>{0} : std::vector<int>{0, 1};
    ok = ok && engine_->SetSubSoundSentence(s.sound, sentence) == SoundResult::kOk;
    if (!ok) {
        ReleaseButtonMedia(button);
    }
    return ok;
}

bool ButtonRunner::QueueSegment(int button, int slot, bool toEnd) {
    ButtonRunState& s = states_[Index(button)];
    WavSegmentTable& table = s.segments;
    if (table.currentIndex < 0 || table.currentIndex >= table.SegmentCount()) {
        return false;
    }
    WavSegment& segment = table.segments[static_cast<size_t>(table.currentIndex)];
    if (segment.end <= segment.start) {
        return false;
    }
    const uint32_t from = toEnd ? s.releasePoint : segment.start;
    RawStreamInfo info = s.rawInfo;
    info.fileOffset = int64_t{table.dataOffset} + int64_t{s.blockAlign} * from;
    info.length = toEnd ? int64_t{table.dataOffset} + table.dataSize - info.fileOffset
                        : int64_t{s.blockAlign} * (segment.end - segment.start);
    if (info.length <= 0) {
        return false;
    }
    SoundId raw;
    if (engine_->CreateRawStream(s.rawFile, info, LoopMode::kOff, raw) != SoundResult::kOk) {
        return false;
    }
    SoundId old;
    engine_->GetSubSound(s.sound, slot, old);
    if (engine_->SetSubSound(s.sound, slot, raw) != SoundResult::kOk) {
        engine_->ReleaseSound(raw);
        return false;
    }
    if (old) {
        engine_->ReleaseSound(old);
    }
    if (!toEnd) {
        ++segment.counter;
        s.releasePoint = segment.end;
    }
    return true;
}

void ButtonRunner::StreamSegments(int button) {
    ButtonRunState& s = states_[Index(button)];
    const ButtonRecord& r = records_[Index(button)];
    uint32_t heard = 0;
    if (engine_->GetPosition(s.channel, heard, TimeUnit::kSubSound) != SoundResult::kOk ||
        static_cast<int32_t>(heard) == s.sentenceIndex) {
        return;
    }
    const int freed = s.sentenceIndex;
    SoundId finished;
    if (engine_->GetSubSound(s.sound, freed, finished) == SoundResult::kOk && finished) {
        engine_->SetSubSound(s.sound, freed, {});
        engine_->ReleaseSound(finished);
    }
    WavSegmentTable& table = s.segments;
    if (table.currentIndex < table.SegmentCount() &&
        SegmentDone(table.segments[static_cast<size_t>(table.currentIndex)])) {
        ++table.currentIndex;
    }
    if (table.currentIndex >= table.SegmentCount() || s.releaseDone) {
        s.releaseDone = false;
        engine_->SetMode(s.channel, LoopMode::kOff);
        uint32_t length = 0;
        uint32_t position = 0;
        engine_->GetLength(s.sound, TimeUnit::kMs, length);
        engine_->GetPosition(s.channel, position, TimeUnit::kMs);
        const double speed = r.varispeed * 0.01;
        s.remainingMs = static_cast<int32_t>((static_cast<double>(length) - position) / speed);
        s.sentenceIndex = static_cast<int32_t>(heard);
        return;
    }
    const bool toEnd = s.releaseToEnd;
    if (QueueSegment(button, freed, toEnd)) {
        if (toEnd) {
            s.releaseDone = true;
            s.releaseToEnd = false;
        }
        s.sentenceIndex = static_cast<int32_t>(heard);
    }
}

}  // namespace tamberline

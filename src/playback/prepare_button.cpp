#include <QFileInfo>
#include <algorithm>
#include <chrono>
#include <optional>

#include "playback/button_runner.h"
#include "playback/graph/audio_sinks.h"
#include "playback/graph/media_graph.h"
#include "playback/graph/media_length.h"
#include "playback/graph/outputs.h"
#include "playback/sound/sound_system.h"
#include "songlist/playlist_reader.h"
#include "songlist/wav_playlist.h"

namespace tamberline {

namespace {

QFileInfo FileInfo(const std::string& path) {
    return QFileInfo(QString::fromStdString(path));
}

// A file written so recently that a change in the same tick of the file
// system's clock would leave its stamp as it is cannot be trusted to be
// this version: it is examined again at the next start.
constexpr int64_t kSettledNs = 2'000'000'000;

std::optional<FileSeen> SeenNow(const std::string& path, int64_t size) {
    const std::optional<FileStamp> stamp = ReadFileStamp(path);
    if (!stamp) {
        return std::nullopt;
    }
    return FileSeen{*stamp, size};
}

bool Settled(const FileSeen& seen) {
    const int64_t now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                            std::chrono::system_clock::now().time_since_epoch())
                            .count();
    return seen.stamp.lastWriteNs < now - kSettledNs;
}

}  // namespace

int ButtonRunner::OutputEntryOf(const ButtonRecord& record) const {
    return list_.TableIndex(record.output, table_);
}

// The songlist of a playlist button: its head is the file to play.
int ButtonRunner::LoadSonglist(int button) {
    ButtonRunState& s = states_[Index(button)];
    ButtonRecord& r = records_[Index(button)];
    std::vector<std::string> entries;
    ReadPlaylist(std::string(PathOf(r)), entries, true);
    if (entries.empty()) {
        return kPrepared;
    }
    const size_t listed = entries.size();
    const MediaLengthFn& length =
        services_.mediaLength ? services_.mediaLength : MediaLengthFn(DetectorMediaLength);
    r.durationMs = static_cast<uint32_t>(PlaylistLength(entries, length));
    if (entries.empty()) {
        return kNoPlayableEntry;
    }
    if (entries.size() < listed && services_.host) {
        services_.host->ShowSonglistWarning();
    }
    s.songlist.assign(entries.begin(), entries.end());
    s.remainingMs = static_cast<int32_t>(r.durationMs);
    ReportRecord(button);
    return kPrepared;
}

int ButtonRunner::PrepareButton(int button) {
    if (!Valid(button)) {
        return kFileMissing;
    }
    ButtonRunState& s = states_[Index(button)];
    ButtonRecord& r = records_[Index(button)];
    if (!FileInfo(std::string(PathOf(r))).exists()) {
        return kFileMissing;
    }
    const int entry = OutputEntryOf(r);
    const bool laterEntry = !s.songlist.empty();
    if (s.songlist.empty()) {
        const int loaded = LoadSonglist(button);
        if (loaded != kPrepared) {
            return loaded;
        }
    }
    const bool songlist = !s.songlist.empty();
    const std::string file = songlist ? s.songlist.front() : std::string(PathOf(r));
    if (songlist && !FileInfo(file).exists()) {
        return kFileMissing;
    }

    if (songlist) {
        s.segments = {};  // entries play whole
    }
    const bool onEngine = entry >= 0 && table_.entries[static_cast<size_t>(entry)].onAudioEngine;
    const int result =
        onEngine ? PrepareOnEngine(button, file, !songlist) : PrepareOnGraph(button, file, entry);
    if (result != kPrepared) {
        return result;
    }
    if (songlist && !laterEntry) {
        // A songlist's length is its entries' total, measured when it was
        // read; its fades and varispeed are limited against that.
        LimitFades(button);
        ReportRecord(button);
    } else if (!songlist) {
        const int64_t size = FileInfo(file).size();
        const std::optional<FileSeen> seen = SeenNow(file, size);
        if (!seen || seen != s.fileSeen) {
            s.fileSeen = seen && Settled(*seen) ? seen : std::nullopt;
            r.fileSize = static_cast<int32_t>(std::min<int64_t>(size, INT32_MAX));
            if (!onEngine) {
                ReadFileFacts(button, file);
            }
            r.durationMs = PreparedDurationMs(button);
            LimitFades(button);
            ReportRecord(button);
        }
        s.remainingMs = static_cast<int32_t>(r.durationMs);
    }
    // A damaged record's volume above 100 would be a gain far over full level.
    s.levelCb = static_cast<float>(std::min<int>(r.volume, 100)) * 100.0f - 10000.0f;
    s.fadeOutMs = r.fadeOut * 100;
    return kPrepared;
}

int ButtonRunner::PrepareOnEngine(int button, const std::string& file, bool plain) {
    ButtonRunState& s = states_[Index(button)];
    ButtonRecord& r = records_[Index(button)];
    if (!engine_) {
        return kEngineCannotPlay;
    }
    r.hasSegments = 0;
    s.segments = {};
    WaveFormat format;
    bool manyChannels = false;
    const bool listed = ReadWavPlaylist(file, s.segments, format, nullptr, &manyChannels);
    const bool pcm =
        format.formatTag == 1 &&
        (format.bitsPerSample == 8 || format.bitsPerSample == 16 || format.bitsPerSample == 32);
    const bool floats = format.formatTag == 3 && format.bitsPerSample == 32;
    const bool playsSegments = plain && listed && (pcm || floats);
    ReleaseButtonMedia(button);
    if (playsSegments && CreateSegmentStream(button, file)) {
        r.hasSegments = 1;
    } else {
        s.segments = {};
        if (engine_->CreateStream(file, LoopMode::kOff, s.sound) != SoundResult::kOk) {
            s.sound = {};
            return kEngineCannotPlay;
        }
    }
    s.onAudioEngine = true;
    SoundFormatInfo info;
    engine_->GetFormat(s.sound, info);
    s.soundChannels = info.channels;
    if (engine_->PlaySound(s.sound, true, s.channel) != SoundResult::kOk) {
        ReleaseButtonMedia(button);
        return kEngineCannotPlay;
    }
    ApplyOutputRouting(button);
    if (engine_->GetFrequency(s.channel, s.baseFrequency) != SoundResult::kOk) {
        ReleaseButtonMedia(button);
        return kEngineCannotPlay;
    }
    if (r.varispeed != 100) {
        r.varispeed = static_cast<uint16_t>(std::clamp<int>(r.varispeed, 10, 190));
        if (engine_->SetFrequency(s.channel, static_cast<float>(r.varispeed) * 0.01f *
                                                 s.baseFrequency) != SoundResult::kOk) {
            ReleaseButtonMedia(button);
            return kEngineCannotPlay;
        }
    }
    r.multiChannel = manyChannels ? 1 : 0;
    return kPrepared;
}

int ButtonRunner::PrepareOnGraph(int button, const std::string& file, int entry) {
    ButtonRunState& s = states_[Index(button)];
    ButtonRecord& r = records_[Index(button)];
    MediaGraph* graph = Graph(button);
    if (!graph) {
        return kGraphCannotPlay;
    }
    ReleaseButtonMedia(button);
    if (entry >= 0 &&
        !(services_.catalog && AddOutputRenderer(*graph, table_, entry, *services_.catalog))) {
        return kGraphCannotPlay;
    }
    s.onMediaGraph = true;
    if (!graph->RenderFile(file)) {
        ReleaseButtonMedia(button);
        return kGraphCannotPlay;
    }
    s.graphRate = 1.0;
    if (r.varispeed != 100) {
        r.varispeed = static_cast<uint16_t>(std::clamp<int>(r.varispeed, 10, 190));
        s.graphRate = r.varispeed * 0.01;
        if (!graph->SetRate(s.graphRate)) {
            s.graphRate = 1.0;
            graph->SetRate(1.0);
        }
    }
    if (r.pan != 100) {
        graph->PutBalance(0);
        graph->PutBalance(r.pan * 100L - 10000L);
    }
    graph->SetTimeFormat(TimeFormat::kMediaTime);
    s.seekFlags = kSeekAbsolute;
    if (graph->CanDoSegments()) {
        s.seekFlags = kSeekSegments;
    }
    return kPrepared;
}

// The media-graph path learns the file's segments and channels from the file.
void ButtonRunner::ReadFileFacts(int button, const std::string& file) {
    ButtonRunState& s = states_[Index(button)];
    ButtonRecord& r = records_[Index(button)];
    WaveFormat format;
    bool manyChannels = false;
    s.segments = {};
    const bool listed = ReadWavPlaylist(file, s.segments, format, nullptr, &manyChannels);
    r.multiChannel = manyChannels ? 1 : 0;
    s.sampleRate = static_cast<int>(format.samplesPerSec);
    r.hasSegments = listed && s.seekFlags == kSeekSegments && s.sampleRate > 0 ? 1 : 0;
    if (!r.hasSegments) {
        s.segments = {};
    }
}

uint32_t ButtonRunner::PreparedDurationMs(int button) {
    ButtonRunState& s = states_[Index(button)];
    const ButtonRecord& r = records_[Index(button)];
    double ms = 0.0;
    if (s.IsSegmented()) {
        double frames = 0.0;
        for (const WavSegment& segment : s.segments.segments) {
            frames += static_cast<double>(segment.end - segment.start) * segment.loopCount;
        }
        const int rate = s.onAudioEngine ? s.rawInfo.sampleRate : s.sampleRate;
        ms = rate > 0 ? frames * 1000.0 / rate : 0.0;
    } else if (s.onAudioEngine) {
        uint32_t length = 0;
        engine_->GetLength(s.sound, TimeUnit::kMs, length);
        ms = length;
    } else if (MediaGraph* graph = Graph(button)) {
        int64_t duration = 0;
        graph->GetDuration(duration);
        ms = static_cast<double>(duration) * 1000.0 / kMediaTimePerSecond;
    }
    if (r.varispeed != 100 && r.varispeed != 0) {
        ms /= r.varispeed * 0.01;
    }
    if (ms < 1000.0) {
        return 1000;
    }
    return static_cast<uint32_t>(RoundUpToHalfSecond(static_cast<int64_t>(std::ceil(ms))));
}

void ButtonRunner::LimitFades(int button) {
    ButtonRecord& r = records_[Index(button)];
    if (r.loop) {
        return;
    }
    const int tenths = static_cast<int>(r.durationMs / 100);
    if (tenths > 2) {
        while (r.fadeIn + r.fadeOut + 1 > tenths) {
            r.fadeIn = r.fadeIn > 0 ? r.fadeIn - 1 : 0;
            r.fadeOut = r.fadeOut > 0 ? r.fadeOut - 1 : 0;
        }
    } else {
        r.fadeIn = 0;
        r.fadeOut = 0;
    }
}

}  // namespace tamberline

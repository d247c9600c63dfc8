#include <algorithm>
#include <cmath>
#include <memory>

#include "playback/button_runner.h"
#include "playback/engine_voice.h"
#include "playback/graph/audio_sinks.h"
#include "playback/graph/media_graph.h"
#include "playback/graph/outputs.h"
#include "playback/prepare_work.h"
#include "playback/sound/sound_system.h"
#include "playback/video_display.h"

namespace tamberline {

int ButtonRunner::OutputEntryOf(const ButtonRecord& record) const {
    return list_.TableIndex(record.output, table_);
}

void ButtonRunner::RunFileWork(std::function<void()> work, std::function<void()> done) {
    if (services_.fileWork) {
        services_.fileWork(std::move(work), std::move(done));
    } else {
        work();
        done();
    }
}

// What needs no file is done here; opening, examining and prerolling the
// file go to the file work, and the rest follows when it is done.
void ButtonRunner::PrepareButton(int button, bool freshStart, Prepared then) {
    // The graph may still be let go of after a stop (file work too).
    if (Defer(button, false,
              [this, button, freshStart, then] { PrepareButton(button, freshStart, then); })) {
        return;
    }
    ButtonRunState& s = states_[Index(button)];
    const ButtonRecord& r = records_[Index(button)];
    auto work = std::make_shared<PrepareWork>();
    work->path = std::string(PathOf(r));
    work->file = s.songlist.empty() ? std::string() : s.songlist.front();
    work->checkZeroSize = freshStart;
    work->mediaLength = services_.mediaLength;
    const int entry = OutputEntryOf(r);
    work->onEngine = entry >= 0 && table_.entries[static_cast<size_t>(entry)].onAudioEngine;
    if (work->onEngine && engine_) {
        work->reader = engine_->fileReader();
    }
    // Without a graph and its renderer the file work still tells a
    // missing file from one the graph cannot play.
    if (MediaGraph* graph = Graph(button); !work->onEngine && graph) {
        ReleaseButtonMedia(button);
        graph->ExposeVideo(services_.video != nullptr && services_.video->ShowsPictures());
        if (entry < 0 ||
            (services_.catalog && AddOutputRenderer(*graph, table_, entry, *services_.catalog))) {
            s.onMediaGraph = true;
            work->graph = graph;
        }
    }
    busy_[Index(button)] = true;
    stoppedAll_[Index(button)] = false;
    RunFileWork([work] { ExamineFiles(*work); },
                [this, button, work, then = std::move(then)] {
                    busy_[Index(button)] = false;
                    then(FinishPrepare(button, *work));
                    ReplayDeferred(button);
                });
}

int ButtonRunner::FinishPrepare(int button, PrepareWork& work) {
    ButtonRunState& s = states_[Index(button)];
    ButtonRecord& r = records_[Index(button)];
    const bool laterEntry = !work.file.empty();
    if (work.readList) {
        r.durationMs = work.listMs;
        if (!work.entries.empty()) {
            if (work.entries.size() < work.listed && services_.host) {
                services_.host->ShowSonglistWarning();
            }
            s.songlist.assign(work.entries.begin(), work.entries.end());
            s.segments = {};  // entries play whole
            s.remainingMs = static_cast<int32_t>(r.durationMs);
            ReportRecord(button);
        }
    }
    const int result = work.code != kPrepared ? work.code
                       : work.onEngine        ? PrepareOnEngine(button, work)
                                              : PrepareOnGraph(button, work);
    if (result != kPrepared) {
        ReleaseButtonMedia(button);
        return result;
    }
    const bool songlist = !s.songlist.empty();
    if (songlist && !laterEntry) {
        // A songlist's length is its entries' total, measured when it was
        // read; its fades and varispeed are limited against that.
        LimitFades(button);
        ReportRecord(button);
    } else if (!songlist) {
        if (!work.seen || work.seen != s.fileSeen) {
            s.fileSeen = work.seen && SettledStamp(*work.seen) ? work.seen : std::nullopt;
            r.fileSize = static_cast<int32_t>(std::min<int64_t>(work.size, INT32_MAX));
            if (!work.onEngine) {
                ReadFileFacts(button, work);
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

int ButtonRunner::PrepareOnEngine(int button, PrepareWork& work) {
    ButtonRunState& s = states_[Index(button)];
    ButtonRecord& r = records_[Index(button)];
    if (!engine_) {
        return kEngineCannotPlay;
    }
    r.hasSegments = 0;
    s.segments = {};
    ReleaseButtonMedia(button);
    if (work.segmentsRaw && CreateSegmentStream(button, work)) {
        r.hasSegments = 1;
    } else {
        s.segments = {};
        if (!work.source ||
            engine_->CreateStream(work.source, LoopMode::kOff, s.sound) != SoundResult::kOk) {
            s.sound = {};
            return kEngineCannotPlay;
        }
    }
    s.onAudioEngine = true;
    SoundFormatInfo info;
    engine_->GetFormat(s.sound, info);
    s.soundChannels = info.channels;
    if (engine_->PlaySound(s.sound, true, s.channel) != SoundResult::kOk) {
        return kEngineCannotPlay;
    }
    ApplyOutputRouting(button);
    if (engine_->GetFrequency(s.channel, s.baseFrequency) != SoundResult::kOk) {
        return kEngineCannotPlay;
    }
    if (r.varispeed != 100) {
        r.varispeed = static_cast<uint16_t>(std::clamp<int>(r.varispeed, 10, 190));
        if (SetEngineSpeed(*engine_, s.channel, s.baseFrequency, r.varispeed) != SoundResult::kOk) {
            return kEngineCannotPlay;
        }
    }
    r.multiChannel = work.manyChannels ? 1 : 0;
    return kPrepared;
}

// The file was rendered by the file work.
int ButtonRunner::PrepareOnGraph(int button, const PrepareWork& work) {
    ButtonRunState& s = states_[Index(button)];
    ButtonRecord& r = records_[Index(button)];
    MediaGraph* graph = work.graph;
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
void ButtonRunner::ReadFileFacts(int button, const PrepareWork& work) {
    ButtonRunState& s = states_[Index(button)];
    ButtonRecord& r = records_[Index(button)];
    r.multiChannel = work.manyChannels ? 1 : 0;
    s.sampleRate = static_cast<int>(work.format.samplesPerSec);
    r.hasSegments = work.hasPlayList && s.seekFlags == kSeekSegments && s.sampleRate > 0 ? 1 : 0;
    s.segments = r.hasSegments ? work.segments : WavSegmentTable{};
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

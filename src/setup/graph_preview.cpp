#include "setup/graph_preview.h"

#include <QFileInfo>
#include <algorithm>

#include "playback/button_runner.h"
#include "playback/graph/media_length.h"
#include "playback/graph/output_list.h"
#include "playback/graph/outputs.h"
#include "playback/output_table.h"
#include "songlist/media_length.h"
#include "songlist/playlist_reader.h"
#include "songlist/wav_playlist.h"

namespace tamberline {

namespace {

constexpr int64_t kMediaTimePerMs = kMediaTimePerSecond / 1000;

}  // namespace

GraphPreviewPlayer::GraphPreviewPlayer(const SetupOutputs& outputs) : outputs_(outputs) {}

bool GraphPreviewPlayer::IsEngineRow(int output) const {
    if (!outputs_.table || !outputs_.list) {
        return false;
    }
    const int index = outputs_.list->TableIndex(output, *outputs_.table);
    return index >= 0 && outputs_.table->entries[static_cast<size_t>(index)].onAudioEngine;
}

bool GraphPreviewPlayer::Load(const std::string& path, int output) {
    Release();
    if (!outputs_.table || !outputs_.list || !outputs_.catalog) {
        return false;
    }
    const int index = outputs_.list->TableIndex(output, *outputs_.table);
    if (!AddOutputRenderer(graph_, *outputs_.table, index, *outputs_.catalog) ||
        !graph_.RenderFile(path)) {
        graph_.RemoveAll();
        return false;
    }
    graph_.SetTimeFormat(TimeFormat::kMediaTime);
    int64_t duration = 0;
    durationMs_ =
        graph_.GetDuration(duration)
            ? static_cast<int32_t>(std::min<int64_t>(duration / kMediaTimePerMs, INT32_MAX))
            : 0;
    return true;
}

int32_t GraphPreviewPlayer::PositionMs() const {
    int64_t position = 0;
    if (!graph_.GetCurrentPosition(position)) {
        return 0;
    }
    return static_cast<int32_t>(std::clamp<int64_t>(position / kMediaTimePerMs, 0, INT32_MAX));
}

void GraphPreviewPlayer::Rewind() {
    graph_.SetPositions(0, seeking::kAbsolutePositioning, 0, seeking::kNoPositioning);
}

void GraphPreviewPlayer::Release() {
    graph_.Stop();
    graph_.RemoveAll();
    durationMs_ = 0;
    MediaEvent event;
    while (graph_.GetEvent(event)) {
    }
}

double GraphPreviewPlayer::SetRate(double rate) {
    rate = std::clamp(rate, 0.1, 1.9);
    if (!graph_.SetRate(rate)) {
        graph_.SetRate(1.0);
    }
    return graph_.GetRate();
}

bool GraphPreviewPlayer::TakeEnded() {
    bool ended = false;
    MediaEvent event;
    while (graph_.GetEvent(event)) {
        ended = ended || event.code == EC_COMPLETE || event.code == EC_USERABORT;
    }
    return ended;
}

MediaSampleProbe::MediaSampleProbe(LengthFn length)
    : length_(length ? std::move(length) : LengthFn(DetectorMediaLength)) {}

bool MediaSampleProbe::Probe(const std::string& path, int /*output*/, ProbedSample& sample) {
    sample = ProbedSample{};
    if (IsPlaylistFile(path)) {
        sample.isSonglist = true;
        sample.canVarispeed = false;
        std::vector<std::string> entries;
        ReadPlaylist(path, entries, true);
        const size_t listed = entries.size();
        for (const std::string& entry : entries) {
            const int32_t length = length_(entry);
            if (length > 0) {
                sample.entries.push_back(entry);
                sample.lengthsMs.push_back(RoundUpToHalfSecond(length));
            }
        }
        sample.entriesMissing = sample.entries.size() < listed;
        if (sample.entries.empty()) {
            sample.errorKind = 0;  // "Unable to find the files in" the list
            return false;
        }
        int64_t total = 0;
        for (int32_t length : sample.lengthsMs) {
            total += length;
        }
        sample.durationMs = static_cast<int32_t>(std::min<int64_t>(total, INT32_MAX));
        return true;
    }
    const QFileInfo info(QString::fromStdString(path));
    if (!info.isFile()) {
        sample.errorKind = kFileMissing;
        return false;
    }
    if (info.size() == 0) {
        sample.errorKind = kZeroSizeFile;
        return false;
    }
    sample.durationMs = length_(path);
    if (sample.durationMs <= 0) {
        sample.errorKind = kGraphCannotPlay;
        return false;
    }
    WavSegmentTable table;
    WaveFormat format;
    bool manyChannels = false;
    sample.hasSegments = ReadWavPlaylist(path, table, format, nullptr, &manyChannels);
    sample.multiChannel = manyChannels;
    return true;
}

}  // namespace tamberline

#include "playback/prepare_work.h"

#include <QFileInfo>
#include <chrono>

#include "playback/graph/media_graph.h"
#include "playback/graph/media_length.h"
#include "playback/sound/sound_system.h"
#include "songlist/playlist_reader.h"
#include "songlist/wav_playlist.h"

namespace tamberline {

namespace {

QFileInfo FileInfo(const std::string& path) {
    return QFileInfo(QString::fromStdString(path));
}

// Streams of play-list segments are read raw, so only formats whose bytes
// are the samples as they lie.
bool PlaysSegmentsRaw(const WaveFormat& format) {
    const bool pcm =
        format.formatTag == 1 &&
        (format.bitsPerSample == 8 || format.bitsPerSample == 16 || format.bitsPerSample == 32);
    const bool floats = format.formatTag == 3 && format.bitsPerSample == 32;
    return (pcm || floats) && format.blockAlign > 0;
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

void ReadPlaylistEntries(PrepareWork& work) {
    ReadPlaylist(work.path, work.entries, true);
    if (work.entries.empty()) {
        return;
    }
    work.readList = true;
    work.listed = work.entries.size();
    const MediaLengthFn& length =
        work.mediaLength ? work.mediaLength : MediaLengthFn(DetectorMediaLength);
    work.listMs = static_cast<uint32_t>(PlaylistLength(work.entries, length));
}

}  // namespace

bool SettledStamp(const FileSeen& seen) {
    const int64_t now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                            std::chrono::system_clock::now().time_since_epoch())
                            .count();
    return seen.stamp.lastWriteNs < now - kSettledNs;
}

void ExamineFiles(PrepareWork& work) {
    if (!FileInfo(work.path).exists()) {
        work.code = kFileMissing;
        return;
    }
    if (work.checkZeroSize && FileInfo(work.path).isFile() && FileInfo(work.path).size() == 0) {
        work.code = kZeroSizeFile;
        return;
    }
    work.played = work.file;
    if (work.played.empty()) {
        ReadPlaylistEntries(work);
        if (work.readList && work.entries.empty()) {
            work.code = kNoPlayableEntry;
            return;
        }
        work.played = work.readList ? work.entries.front() : work.path;
    }
    const bool songlist = !work.file.empty() || work.readList;
    if (songlist && !FileInfo(work.played).exists()) {
        work.code = kFileMissing;
        return;
    }
    work.size = FileInfo(work.played).size();
    work.seen = SeenNow(work.played, work.size);
    work.hasPlayList =
        ReadWavPlaylist(work.played, work.segments, work.format, nullptr, &work.manyChannels);
    work.segmentsRaw = !songlist && work.hasPlayList && PlaysSegmentsRaw(work.format);
    if (work.onEngine) {
        if (work.segmentsRaw &&
            SoundSystem::OpenRawFile(work.played, work.rawFile) != SoundResult::kOk) {
            work.segmentsRaw = false;
        }
        // Opened even for segments: the plain stream stands in when the
        // segments cannot be queued.
        if (SoundSystem::OpenStreamFile(work.played, work.reader, work.source) !=
                SoundResult::kOk &&
            !work.segmentsRaw) {
            work.code = kEngineCannotPlay;
        }
    } else if (!work.graph || !work.graph->RenderFile(work.played)) {
        work.code = kGraphCannotPlay;
    }
}

}  // namespace tamberline

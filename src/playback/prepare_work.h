#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "playback/run_state.h"
#include "songlist/media_length.h"
#include "songlist/wav_segments.h"

namespace tamberline {

class FileReader;

class MediaGraph;
namespace sound {
class OpenedFile;
class SoundSource;
}  // namespace sound

// The part of preparing a button that reads files: whether the file is
// there, its playlist, its play list and stamp, the opened stream for the
// audio engine or the rendered media graph. Filled on a worker thread from
// copies; the control thread reads it once the work is done.
struct PrepareWork {
    // What to examine.
    std::string path;  // the record's path
    std::string file;  // a songlist entry to play; empty: `path`, read as a playlist first
    bool checkZeroSize = false;
    bool onEngine = false;
    std::shared_ptr<FileReader> reader;  // the engine's, taken on the control thread
    MediaGraph* graph = nullptr;         // the button's graph, rendered here on the graph path
    MediaLengthFn mediaLength;

    // What was found.
    int code = kPrepared;
    bool readList = false;             // `path` is a playlist: entries and their length
    std::vector<std::string> entries;  // its playable entries
    size_t listed = 0;                 // entries it names
    uint32_t listMs = 0;
    std::string played;  // the file that plays
    std::optional<FileSeen> seen;
    int64_t size = 0;
    bool hasPlayList = false;
    bool segmentsRaw = false;  // a plain file whose segments the engine can stream
    WavSegmentTable segments;
    WaveFormat format;
    bool manyChannels = false;
    std::shared_ptr<sound::SoundSource> source;  // engine path, plain stream
    std::shared_ptr<sound::OpenedFile> rawFile;  // engine path, segments read raw
};

// Any thread; touches nothing but `work` and, on the graph path, its graph.
void ExamineFiles(PrepareWork& work);
// The stamp is old enough to tell this version of the file from the next.
bool SettledStamp(const FileSeen& seen);

}  // namespace tamberline

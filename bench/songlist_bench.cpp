// Playlist and WAV play-list reading: ordinary files, and hostile ones of
// the largest size read, which must stay linear.
#include <benchmark/benchmark.h>

#include <string>

#include "songlist/byte_source.h"
#include "songlist/playlist_reader.h"
#include "songlist/playlist_text.h"
#include "songlist/wav_playlist.h"

namespace tamberline {
namespace {

std::string Repeat(const std::string& piece, size_t bytes) {
    std::string text;
    text.reserve(bytes + piece.size());
    while (text.size() < bytes) {
        text += piece;
    }
    return text;
}

void Parse(benchmark::State& state, PlaylistKind kind, const std::string& text) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(ParsePlaylistText(kind, text));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

// A long songlist as the editor writes it.
void BM_M3u1000Entries(benchmark::State& state) {
    Parse(state, PlaylistKind::kM3u,
          Repeat("/home/op/Show/Act One/Cue 042 Thunder.wav\r\n", 44000));
}
BENCHMARK(BM_M3u1000Entries);

void BM_Asx1000Entries(benchmark::State& state) {
    Parse(state, PlaylistKind::kAsx,
          "<asx version=\"3.0\">" +
              Repeat("<entry><title>Cue</title><ref href=\"..\\Music\\Cue 042.wma\"/></entry>\n",
                     68000) +
              "</asx>");
}
BENCHMARK(BM_Asx1000Entries);

// Largest files read, built to make a naive search quadratic.
void BM_AsxNestedEntries16MiB(benchmark::State& state) {
    Parse(state, PlaylistKind::kAsx,
          "<ASX>" + Repeat("<ENTRY>", kMaxPlaylistBytes / 2) +
              Repeat("</ENTRY>", kMaxPlaylistBytes / 2 - 16));
}
BENCHMARK(BM_AsxNestedEntries16MiB)->Unit(benchmark::kMillisecond);

void BM_AsxAmpersands16MiB(benchmark::State& state) {
    Parse(state, PlaylistKind::kAsx,
          "<ASX><ENTRY><REF HREF=\"" + Repeat("&", kMaxPlaylistBytes - 64) + "\"/></ENTRY>");
}
BENCHMARK(BM_AsxAmpersands16MiB)->Unit(benchmark::kMillisecond);

void BM_SequenceSrcWithoutValues16MiB(benchmark::State& state) {
    Parse(state, PlaylistKind::kSequence,
          "<SEQ>" + Repeat("SRC   ", kMaxPlaylistBytes - 32) + "</SEQ>");
}
BENCHMARK(BM_SequenceSrcWithoutValues16MiB)->Unit(benchmark::kMillisecond);

void BM_M3uOneHugeLine16MiB(benchmark::State& state) {
    Parse(state, PlaylistKind::kM3u, Repeat("a", kMaxPlaylistBytes));
}
BENCHMARK(BM_M3uOneHugeLine16MiB)->Unit(benchmark::kMillisecond);

// A WAV file with 1000 segments and labels, read from memory.
void BM_WavPlaylist1000Segments(benchmark::State& state) {
    auto le32 = [](uint32_t v) {
        return std::string{static_cast<char>(v), static_cast<char>(v >> 8),
                           static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
    };
    auto chunk = [&](const std::string& id, const std::string& body) {
        return id + le32(static_cast<uint32_t>(body.size())) + body +
               (body.size() % 2 ? std::string(1, '\0') : std::string());
    };
    std::string cue = le32(1000);
    std::string plst = le32(1000);
    std::string adtl = "adtl";
    for (uint32_t i = 0; i < 1000; ++i) {
        cue += le32(i) + le32(0) + "data" + le32(0) + le32(0) + le32(i * 100);
        plst += le32(999 - i) + le32(50) + le32(2);
        adtl += chunk("labl", le32(i) + "Cue " + std::to_string(i) + std::string(1, '\0'));
    }
    const std::string fmt =
        std::string("\x01\x00\x02\x00\x44\xAC\x00\x00\x10\xB1\x02\x00\x04\x00\x10\x00\x00\x00", 18);
    const std::string body = "WAVE" + chunk("fmt ", fmt) + chunk("cue ", cue) +
                             chunk("plst", plst) + chunk("LIST", adtl) +
                             chunk("data", std::string(400000, '\0'));
    const std::string file = "RIFF" + le32(static_cast<uint32_t>(body.size())) + body;
    const MemoryByteSource source(file);
    for (auto _ : state) {
        WavSegmentTable table;
        WaveFormat format;
        std::vector<WavReportRow> report;
        benchmark::DoNotOptimize(ReadWavPlaylist(source, table, format, &report));
    }
}
BENCHMARK(BM_WavPlaylist1000Segments);

}  // namespace
}  // namespace tamberline

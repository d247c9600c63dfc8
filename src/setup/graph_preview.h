#pragma once

#include <functional>
#include <string>

#include "playback/graph/media_graph.h"
#include "setup/sample_probe.h"
#include "setup/setup_preview.h"

namespace tamberline {

class AudioSinkCatalog;
class EnginePreview;
class OutputList;
struct OutputTable;

// The outputs as the setup dialogs see them; all may be null (no outputs).
struct SetupOutputs {
    const OutputTable* table = nullptr;
    const OutputList* list = nullptr;
    AudioSinkCatalog* catalog = nullptr;
    // Run control's preview voice for the audio engine's pairs.
    EnginePreview* enginePreview = nullptr;
};

// The preview on a media graph of the dialog's own, on the sound card of
// the chosen output row. Rows of the audio engine have no graph renderer
// and refuse to load.
class GraphPreviewPlayer final : public PreviewPlayer {
public:
    explicit GraphPreviewPlayer(const SetupOutputs& outputs);

    bool Load(const std::string& path, int output) override;
    int32_t DurationMs() const override { return durationMs_; }
    int32_t PositionMs() const override;
    bool Play() override { return graph_.Run(); }
    void Pause() override { graph_.Pause(); }
    void Rewind() override;
    void Release() override;
    void SetLevel(long level) override { graph_.PutVolume(level); }
    void SetPan(int pan) override { graph_.PutBalance(pan * 100L - 10000L); }
    double SetRate(double rate) override;
    bool TakeEnded() override;

    // True when the row plays on the audio engine.
    bool IsEngineRow(int output) const;

private:
    SetupOutputs outputs_;
    MediaGraph graph_{-1, nullptr};
    int32_t durationMs_ = 0;
};

// Learns a chosen file: a songlist's entries and their lengths, a file's
// length from the media detector, a WAV file's play list and channels.
class MediaSampleProbe final : public SampleProbe {
public:
    using LengthFn = std::function<int32_t(const std::string& path)>;
    // `length` measures a file; the media detector when empty.
    explicit MediaSampleProbe(LengthFn length = {});
    bool Probe(const std::string& path, int output, ProbedSample& sample) override;

private:
    LengthFn length_;
};

}  // namespace tamberline

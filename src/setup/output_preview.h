#pragma once

#include "setup/graph_preview.h"

namespace tamberline {

// The preview on the chosen output: the audio engine's pairs play on run
// control's preview voice, the sound cards on the dialog's own media graph.
class OutputPreviewPlayer final : public PreviewPlayer {
public:
    explicit OutputPreviewPlayer(const SetupOutputs& outputs)
        : engine_(outputs.enginePreview), graph_(outputs) {}

    bool Load(const std::string& path, int output) override;
    int32_t DurationMs() const override;
    int32_t PositionMs() const override;
    bool Play() override;
    void Pause() override;
    void Rewind() override;
    void Release() override;
    void SetLevel(long level) override;
    void SetPan(int pan) override;
    double SetRate(double rate) override;
    bool TakeEnded() override;
    void SetLoop(bool loop) override;

    bool IsEngineRow(int output) const { return graph_.IsEngineRow(output); }

private:
    EnginePreview* engine_;
    GraphPreviewPlayer graph_;
    bool onEngine_ = false;  // what was loaded last plays on the engine
};

}  // namespace tamberline

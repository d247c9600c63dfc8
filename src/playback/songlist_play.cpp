#include "playback/button_runner.h"
#include "playback/graph/media_graph.h"
#include "playback/sound/sound_system.h"

namespace tamberline {

void ButtonRunner::NextSonglistItem(int button) {
    if (!Valid(button)) {
        return;
    }
    ButtonRunState& s = states_[Index(button)];
    const float level = s.running ? CurrentLevel(button) : s.levelCb;
    MediaGraph* graph = Graph(button);
    const long balance = graph ? graph->GetBalance() : 0;
    WriteRunLog(button);
    ReleaseButtonMedia(button);
    if (!s.songlist.empty()) {
        s.songlist.pop_front();
    }
    while (!s.songlist.empty()) {
        if (PrepareButton(button) == kPrepared) {
            SetStartPosition(button);
            if (s.onAudioEngine) {
                SetLevel(button, level);
                ApplyOutputRouting(button);
                engine_->SetPaused(s.channel, false);
            } else if (graph) {
                graph->PutVolume(static_cast<long>(level));
                graph->PutBalance(balance);
                graph->Run();
            }
            s.runLog.fileName = s.songlist.front();
            s.runLog.start = LocalDateTime::Now();
            Publish(button);
            return;
        }
        s.songlist.pop_front();
    }
    if (records_[Index(button)].loop && s.running) {
        s.running = false;
        StartButton(button);
    } else {
        StopButton(button);
    }
    Publish(button);
}

}  // namespace tamberline

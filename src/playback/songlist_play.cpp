#include "playback/button_runner.h"
#include "playback/graph/media_graph.h"
#include "playback/sound/sound_system.h"

namespace tamberline {

void ButtonRunner::NextSonglistItem(int button) {
    if (!Valid(button) || Defer(button, false, [this, button] { NextSonglistItem(button); })) {
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
    PlayNextEntry(button, level, balance);
}

// Plays the head of the songlist at the level and balance of the entry
// before, moving on past entries that will not play.
void ButtonRunner::PlayNextEntry(int button, float level, long balance) {
    ButtonRunState& s = states_[Index(button)];
    if (s.songlist.empty()) {
        if (records_[Index(button)].loop && s.running) {
            s.running = false;
            StartButton(button);
        } else {
            StopButton(button);
        }
        Publish(button);
        return;
    }
    PrepareButton(button, false, [this, button, level, balance](int code) {
        ButtonRunState& s = states_[Index(button)];
        if (stoppedAll_[Index(button)]) {
            ReleaseButtonMedia(button);
            s.songlist.clear();
            Publish(button);
            return;
        }
        if (code != kPrepared) {
            s.songlist.pop_front();
            PlayNextEntry(button, level, balance);
            return;
        }
        SetStartPosition(button);
        if (s.onAudioEngine) {
            SetLevel(button, level);
            ApplyOutputRouting(button);
            engine_->SetPaused(s.channel, false);
        } else if (MediaGraph* graph = Graph(button)) {
            graph->PutVolume(static_cast<long>(level));
            graph->PutBalance(balance);
            ShowVideo(button, *graph);
            graph->Run();
        }
        s.runLog.fileName = s.songlist.front();
        s.runLog.start = LocalDateTime::Now();
        Publish(button);
    });
}

}  // namespace tamberline

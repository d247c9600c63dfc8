#include "playback/button_runner.h"
#include "playback/graph/media_graph.h"

namespace tamberline {

void ButtonRunner::OnMediaEvent(int button) {
    if (!Valid(button) || Defer(button, false, [this, button] { OnMediaEvent(button); })) {
        return;
    }
    MediaGraph* graph = Graph(button);
    if (!graph) {
        return;
    }
    MediaEvent event;
    while (graph->GetEvent(event)) {
        ButtonRunState& s = states_[Index(button)];
        if (shuttingDown_ || !s.onMediaGraph || !(s.running || s.paused)) {
            continue;  // an event of a run that has already ended
        }
        switch (event.code) {
            case EC_COMPLETE:
                if (!s.songlist.empty()) {
                    NextSonglistItem(button);
                } else if (records_[Index(button)].loop) {
                    SetStartPosition(button);
                } else {
                    StopButton(button);
                }
                break;
            case EC_USERABORT: StopButton(button); break;
            case EC_END_OF_SEGMENT: GraphEndOfSegment(button); break;
        }
    }
}

void ButtonRunner::GraphEndOfSegment(int button) {
    ButtonRunState& s = states_[Index(button)];
    const ButtonRecord& r = records_[Index(button)];
    MediaGraph& graph = *Graph(button);
    int64_t duration = 0;
    graph.GetDuration(duration);
    if (!s.IsSegmented()) {
        if (r.loop) {
            graph.SetPositions(0, s.seekFlags, duration, kSeekAbsolute);
        }
        return;
    }
    WavSegmentTable& table = s.segments;
    if (s.releaseToEnd) {
        s.releaseToEnd = false;
        s.fileSeen.reset();
        int64_t stop = 0;
        graph.GetStopPosition(stop);
        graph.SetPositions(stop, kSeekFinalPass, duration, kSeekAbsolute);
        const double samples = static_cast<double>(duration - stop + 88200);
        s.remainingMs = s.sampleRate > 0
                            ? static_cast<int32_t>(samples * 1000.0 / s.sampleRate / s.graphRate)
                            : 0;
        return;
    }
    if (table.currentIndex < 0 || table.currentIndex >= table.SegmentCount()) {
        return;  // past the last segment: the final pass completes the stream
    }
    WavSegment* segment = &table.segments[static_cast<size_t>(table.currentIndex)];
    ++segment->counter;
    if (segment->loopCount != 0 && segment->counter >= segment->loopCount) {
        ++table.currentIndex;
        if (table.currentIndex >= table.SegmentCount()) {
            if (!r.loop) {
                return;  // the final pass completes the stream
            }
            table.currentIndex = 0;
            for (WavSegment& each : table.segments) {
                each.counter = 0;
            }
        }
        segment = &table.segments[static_cast<size_t>(table.currentIndex)];
    }
    const bool last = table.currentIndex == table.SegmentCount() - 1;
    const bool finalPass =
        !r.loop && last && segment->loopCount != 0 && segment->counter + 1 >= segment->loopCount;
    graph.SetPositions(segment->start, finalPass ? kSeekFinalPass : s.seekFlags, segment->end,
                       kSeekAbsolute);
}

}  // namespace tamberline

#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "session/sample_search.h"

namespace tamberline {

class MessageBox;
class Session;

// The search for one button's lost file, asked for by "Find" after a failed
// start. It runs on a worker thread over a copy of the records, so the
// window stays responsive and playback goes on; the found path goes into
// every button that played the same file, as one undo step.
class LostSampleFinder {
public:
    explicit LostSampleFinder(MessageBox& box);
    ~LostSampleFinder();

    // GUI thread.
    void Attach(Session* session) { session_ = session; }
    // Where to look; the system's index and fixed drives unless set.
    void SetPlaces(std::function<SampleSearchPlaces()> places) { places_ = std::move(places); }
    // The search window: its status line (called on the worker) and its
    // showing while a search runs.
    void SetProgress(SearchProgress progress) { progress_ = std::move(progress); }
    void SetShown(std::function<void(bool searching)> shown) { shown_ = std::move(shown); }
    void FindOneSample(int button);
    bool Searching() const { return job_ != nullptr; }
    void Cancel();

private:
    void Finish(int button, const std::string& path, const std::vector<int>& marked, bool finished,
                const RecordArray& found);

    MessageBox& box_;
    Session* session_ = nullptr;
    std::function<SampleSearchPlaces()> places_;
    SearchProgress progress_;
    std::function<void(bool)> shown_;
    std::unique_ptr<SampleSearchJob> job_;
    QObject gui_;  // queued calls die with it
};

}  // namespace tamberline

#include "app/lost_sample_finder.h"

#include "base/message_box.h"
#include "base/path_compare.h"
#include "session/session.h"

namespace tamberline {

LostSampleFinder::LostSampleFinder(MessageBox& box) : box_(box), places_(SystemSearchPlaces) {}

LostSampleFinder::~LostSampleFinder() {
    // The job's end waits for its thread; a result still queued dies with gui_.
    job_.reset();
}

void LostSampleFinder::Cancel() {
    if (job_) {
        job_->Cancel();
    }
}

void LostSampleFinder::FindOneSample(int button) {
    if (!session_ || job_ || button < 0 || button >= kButtonCount) {
        return;
    }
    const ButtonRecord& record = session_->records()[static_cast<size_t>(button)];
    if (!IsAssigned(record)) {
        return;
    }
    const std::string path(PathOf(record));
    // Every button that played the same file is lost with it; the marks live
    // only in the search's copy, never in the session.
    RecordArray copy = session_->records();
    std::vector<int> marked;
    for (int b = 0; b < kButtonCount; ++b) {
        ButtonRecord& other = copy[static_cast<size_t>(b)];
        if (IsAssigned(other) && SamePathIgnoringCase(PathOf(other), path)) {
            other.status = STATUS_LOST;
            marked.push_back(b);
        }
    }
    job_ = std::make_unique<SampleSearchJob>(
        copy, places_(), progress_,
        [this, button, path, marked](bool finished, const RecordArray& found) {
            QMetaObject::invokeMethod(
                &gui_,
                [this, button, path, marked, finished, found] {
                    Finish(button, path, marked, finished, found);
                },
                Qt::QueuedConnection);
        });
    if (shown_) {
        shown_(true);
    }
}

void LostSampleFinder::Finish(int button, const std::string& path, const std::vector<int>& marked,
                              bool finished, const RecordArray& found) {
    job_.reset();
    if (shown_) {
        shown_(false);
    }
    if (!finished || !session_) {
        return;
    }
    if (found[static_cast<size_t>(button)].status != STATUS_ASSIGNED) {
        box_.Show("Unable to find\n" + path, mb::kOk | mb::kIconStop);
        return;
    }
    // A button edited while the search ran keeps the edit.
    session_->BeginChange();
    for (int b : marked) {
        const ButtonRecord& now = session_->records()[static_cast<size_t>(b)];
        const ButtonRecord& result = found[static_cast<size_t>(b)];
        if (!IsAssigned(now) || !SamePathIgnoringCase(PathOf(now), path) ||
            result.status != STATUS_ASSIGNED) {
            continue;
        }
        session_->AppendUndoEntry(b);
        SetPath(session_->Record(b), PathOf(result));
    }
    session_->EndChange(false);
    box_.Show(std::string(PathOf(found[static_cast<size_t>(button)])) + "\nReloaded.",
              mb::kOk | mb::kIconInformation);
}

}  // namespace tamberline

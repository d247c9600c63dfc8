#include "cd/burn_controller.h"

#include <algorithm>

#include "base/message_box.h"

namespace tamberline {

int ProgressPercent(uint64_t done, uint64_t total) {
    if (total == 0) {
        return 0;
    }
    return static_cast<int>(std::min<uint64_t>(done, total) * 100 / total);
}

// Forwards the worker's events to the owner's thread.
class BurnController::Sink final : public BurnEvents {
public:
    explicit Sink(BurnController& owner) : owner_(owner) {}
    void Compiling(int track, int count) override {
        Post([track, count](BurnController& c) {
            if (!c.stop_->load()) {
                c.view_.SetStatus("Compiling track " + std::to_string(track) + " of " +
                                  std::to_string(count));
            }
        });
    }
    void AddProgress(uint64_t done, uint64_t total) override {
        Post([done, total](BurnController& c) {
            c.view_.SetProgress(ProgressPercent(done, total));
        });
    }
    void BlockProgress(uint64_t done, uint64_t total) override { AddProgress(done, total); }
    void Preparing() override {
        Post([](BurnController& c) {
            c.staging_ = false;
            c.recording_ = true;
            if (!c.stop_->load()) {
                c.view_.SetStatus("Preparing to burn.");
            }
            c.view_.SetProgress(0);
        });
    }
    void ClosingDisc() override {
        Post([](BurnController& c) {
            if (!c.stop_->load()) {
                c.view_.SetStatus("Closing disc.");
            }
            c.view_.SetProgress(0);
        });
    }
    void TrackProgress(int track, int count) override {
        Post([track, count](BurnController& c) {
            if (!c.stop_->load()) {
                c.view_.SetStatus("Burning track " + std::to_string(std::min(track + 1, count)) +
                                  " of " + std::to_string(count));
            }
        });
    }

private:
    void Post(std::function<void(BurnController&)> fn) {
        BurnController* owner = &owner_;
        auto alive = owner_.alive_;
        owner_.post_([owner, alive, fn = std::move(fn)] {
            if (alive->load()) {
                fn(*owner);
            }
        });
    }
    BurnController& owner_;
};

BurnController::BurnController(MessageBox& box, View& view, Poster post)
    : box_(box),
      view_(view),
      post_(std::move(post)),
      stop_(std::make_shared<std::atomic<bool>>(false)),
      alive_(std::make_shared<std::atomic<bool>>(true)),
      sink_(std::make_unique<Sink>(*this)) {}

BurnController::~BurnController() {
    Shutdown();
}

bool BurnController::Burn(Recorder& recorder, BurnList& list, const WavValidator& check) {
    if (busy()) {
        return false;
    }
    // Every track is checked before anything starts, so none is left off
    // the disc unseen and the lines stay in step with the slots.
    BurnList checked = list;
    const auto skipped = checked.Revalidate(check, true);
    if (!skipped.empty()) {
        std::string text = "These tracks can no longer be burnt\n(missing or not CD audio):\n";
        for (const auto& [number, slot] : skipped) {
            text += "\n" + BurnList::Line(number, slot.name);
        }
        text += checked.count() > 0 ? "\n\nThey leave the burn list.\nBurn the other tracks?"
                                    : "\n\nThey leave the burn list.";
        const bool go =
            checked.count() > 0 && box_.Show(text, mb::kYesNo | mb::kIconExclamation) == kResultYes;
        if (checked.count() == 0) {
            box_.Show(text, mb::kOk | mb::kIconExclamation);
        }
        list = checked;
        if (!go) {
            return false;
        }
    } else {
        list = checked;
    }
    if (list.count() == 0) {
        return false;
    }
    std::vector<BurnTrack> tracks;
    for (const BurnSlot& slot : list.tracks()) {
        tracks.push_back({slot.path, slot.name, slot.dataSize, slot.dataOffset});
    }
    recorder_ = &recorder;
    view_.SetBurning(true);
    trayLocked_ = recorder.LockTray(true);
    stop_->store(false);
    staging_ = true;
    recording_ = false;
    view_.SetProgress(0);
    if (worker_.joinable()) {
        worker_.join();
    }
    auto stop = stop_;
    Sink* sink = sink_.get();
    BurnController* self = this;
    auto alive = alive_;
    Poster post = post_;
    worker_ = std::thread([&recorder, tracks, sink, stop, self, alive, post] {
        std::string result;
        try {
            result = recorder.Burn(tracks, *sink, *stop);
        } catch (const std::exception& e) {
            result = e.what();
        }
        post([self, alive, result] {
            if (alive->load()) {
                self->Complete(result);
            }
        });
    });
    return true;
}

void BurnController::Cancel() {
    if (recording_) {
        if (box_.Show(
                "If you interrupt a burn, the disc will be junk.\nDo you want to stop burning?",
                mb::kYesNo | mb::kIconQuestion) == kResultYes) {
            stop_->store(true);
            view_.SetStatus("Cancelling burn.");
        }
        return;
    }
    stop_->store(true);
}

bool BurnController::Exit() {
    if (staging_) {
        stop_->store(true);
        exitRequested_ = true;
        return false;
    }
    if (recording_) {
        Cancel();
        exitRequested_ = true;
        return false;
    }
    return true;
}

void BurnController::Complete(const std::string& result) {
    if (worker_.joinable()) {
        worker_.join();
    }
    // Whatever the outcome, the burn state ends and the tray is let go.
    staging_ = false;
    recording_ = false;
    view_.SetStatus("");
    view_.SetProgress(0);
    view_.SetBurning(false);
    if (trayLocked_ && recorder_) {
        recorder_->LockTray(false);
    }
    trayLocked_ = false;
    if (!result.empty() && result != kBurnCancelled) {
        box_.Show(result, mb::kOk | mb::kIconStop);
    }
    if (exitRequested_) {
        exitRequested_ = false;
        view_.CloseDialog();
    }
}

void BurnController::Shutdown() {
    stop_->store(true);
    if (worker_.joinable()) {
        worker_.join();
    }
    alive_->store(false);
    if (trayLocked_ && recorder_) {
        recorder_->LockTray(false);
    }
    trayLocked_ = false;
    staging_ = recording_ = false;
}

}  // namespace tamberline

#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "cd/burn_list.h"
#include "cd/recorder.h"

namespace tamberline {

class MessageBox;

// Progress position 0..100 of done / total; 0 when the total is 0.
int ProgressPercent(uint64_t done, uint64_t total);

// The CD burner's burn state (burning, progress messages, Cancel and
// Exit), without widgets. The recorder runs on a worker thread; its
// events come back to the owner's thread through `post`.
class BurnController {
public:
    class View {
    public:
        virtual ~View() = default;
        virtual void SetStatus(const std::string& text) = 0;
        virtual void SetProgress(int percent) = 0;
        // Burning: buttons and recorder list disabled, Cancel and progress shown.
        virtual void SetBurning(bool burning) = 0;
        virtual void CloseDialog() = 0;
    };
    using Poster = std::function<void(std::function<void()>)>;

    BurnController(MessageBox& box, View& view, Poster post);
    ~BurnController();

    bool busy() const { return staging_ || recording_; }
    bool recording() const { return recording_; }
    bool trayLocked() const { return trayLocked_; }
    bool stopRequested() const { return stop_->load(); }

    // Checks every track again; tracks that will be left off are listed and
    // the operator asked whether to go on (they leave the list). Returns
    // false when nothing is burnt.
    bool Burn(Recorder& recorder, BurnList& list, const WavValidator& check);
    // "Cancel" and "Exit" (and the close command). Exit returns true when the
    // dialog may close at once.
    void Cancel();
    bool Exit();
    // The dialog closes: waits for the worker, unlocks the tray.
    void Shutdown();

private:
    class Sink;
    void Complete(const std::string& result);

    MessageBox& box_;
    View& view_;
    Poster post_;
    Recorder* recorder_ = nullptr;
    bool staging_ = false;
    bool recording_ = false;
    bool exitRequested_ = false;
    bool trayLocked_ = false;
    // Shared with the worker, which may outlive a request to stop.
    std::shared_ptr<std::atomic<bool>> stop_;
    std::shared_ptr<std::atomic<bool>> alive_;
    std::unique_ptr<Sink> sink_;
    std::thread worker_;
};

}  // namespace tamberline

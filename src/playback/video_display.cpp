#include "playback/video_display.h"

#include <algorithm>
#include <cstdio>

#include "base/path_parts.h"
#include "playback/graph/media_graph.h"

namespace tamberline {

PictureSize FitPicture(int width, int height, const PictureArea& area) {
    const double w = std::max(width, 1);
    const double h = std::max(height, 1);
    double scale = 1.0;
    if (area.width > 0 && area.height > 0) {
        scale = std::min(area.width / w, area.height / h);
        if (!area.fullScreen) {
            scale = std::min(scale, 1.0);
        }
    }
    const auto even = [](double side) { return std::max(2, static_cast<int>(side) & ~1); };
    return {even(w * scale), even(h * scale)};
}

VideoDisplay::VideoDisplay(Report report) : report_(std::move(report)) {}

void VideoDisplay::Tell(const std::string& text) const {
    if (report_) {
        report_(text);
    }
}

void VideoDisplay::ShowVideo(int button, MediaGraph& graph, const std::string& path) {
    VideoScreen* screen = screen_.load();
    if (screen == nullptr) {
        return;
    }
    if (!graph.HasVideo()) {
        // A songlist entry without picture: the owner's last picture goes.
        if (owner_.load() == button) {
            std::lock_guard lock(windowLock_);
            ++generation_;
            screen->Hide();
        }
        return;
    }
    if (owner_.load() == -1) {
        owner_ = button;
    }
    if (owner_.load() != button) {
        return;  // another button shows its picture: this one plays its sound only
    }
    int width = 0;
    int height = 0;
    if (!graph.VideoSize(width, height)) {
        owner_ = -1;
        return;
    }
    if (width > kLargestPictureSide || height > kLargestPictureSide) {
        owner_ = -1;
        char text[160];
        std::snprintf(text, sizeof text,
                      "\nThe picture (%d x %d) is too large to show.\nThe sound plays without it.",
                      width, height);
        Tell(FileNamePart(path) + text);
        return;
    }
    const PictureSize fit = FitPicture(width, height, screen->Area());
    uint64_t generation = 0;
    {
        std::lock_guard lock(windowLock_);
        generation = ++generation_;
    }
    const std::string caption = "Button " + std::to_string(button + 1);
    auto show = [this, screen, generation, caption, fit] {
        std::lock_guard lock(windowLock_);
        if (generation_ == generation) {
            screen->Show(caption, fit.width, fit.height);
        }
    };
    if (graph.ShowsPicture()) {
        show();  // resumed from a pause: the picture is there already
        return;
    }
    if (!graph.ShowPicture(screen->MakeRenderer(), fit.width, fit.height, std::move(show))) {
        owner_ = -1;
        // Once, not at every cue, until a picture has been shown again.
        if (!displayFailureReported_) {
            displayFailureReported_ = true;
            Tell("The video display cannot be opened.\nVideo files play their sound only.");
        }
        return;
    }
    displayFailureReported_ = false;
}

void VideoDisplay::HideVideo(int button) {
    if (owner_.load() != button) {
        return;
    }
    if (VideoScreen* screen = screen_.load()) {
        std::lock_guard lock(windowLock_);
        ++generation_;
        screen->Hide();
    }
    owner_ = -1;
}

}  // namespace tamberline

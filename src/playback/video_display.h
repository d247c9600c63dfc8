#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

typedef struct _GstElement GstElement;

namespace tamberline {

class MediaGraph;

// Where pictures may be shown: the size a picture is fitted into, and
// whether the window fills a screen of its own.
struct PictureArea {
    int width = 0;
    int height = 0;
    bool fullScreen = false;
};

struct PictureSize {
    int width = 0;
    int height = 0;
};

// The largest picture side shown; a larger picture (an 8K film) would take
// the decoder and the scaler more than the machine has while cues play.
inline constexpr int kLargestPictureSide = 4096;

// The picture fitted into `area` with its shape kept: a window shows it at
// its own size unless that is larger than the area; a full screen fills
// the area. Sides are even (the scaler's formats want it) and at least 2.
PictureSize FitPicture(int width, int height, const PictureArea& area);

// The video window, on the GUI side. Every call may come from any thread
// and returns at once: the window follows later on its own thread.
class VideoScreen {
public:
    virtual ~VideoScreen() = default;
    // A renderer that draws into the window, or null when there is no
    // window that can show pictures.
    virtual GstElement* MakeRenderer() = 0;
    virtual PictureArea Area() const = 0;
    // Shows the window with the picture of `width` x `height`, top-most,
    // captioned `caption`, and hands the keyboard back to the console.
    virtual void Show(const std::string& caption, int width, int height) = 0;
    virtual void Hide() = 0;
};

// The one video display and the button that owns it (`videoOwner`). Called
// by run control on its thread.
class VideoDisplay {
public:
    // Messages for the operator, for the console to show without waiting.
    using Report = std::function<void(const std::string& text)>;
    explicit VideoDisplay(Report report);

    // Set before start-up; null: video files play their sound only.
    void SetScreen(VideoScreen* screen) { screen_ = screen; }
    bool ShowsPictures() const { return screen_.load() != nullptr; }
    int Owner() const { return owner_.load(); }

    // Before a graph of `button` runs a file (`path`, for messages): the
    // first button with a picture takes the display; any other plays its
    // sound only.
    void ShowVideo(int button, MediaGraph& graph, const std::string& path);
    // The owner stopped: the window goes and the next picture takes it.
    void HideVideo(int button);

private:
    void Tell(const std::string& text) const;

    const std::function<void(const std::string&)> report_;
    std::atomic<VideoScreen*> screen_{nullptr};
    std::atomic<int> owner_{-1};
    // A first picture shows its window only if the display has not been
    // handed on since; Show and Hide reach the window in this order.
    std::mutex windowLock_;
    uint64_t generation_ = 0;
    bool displayFailureReported_ = false;
};

}  // namespace tamberline

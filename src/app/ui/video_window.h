#pragma once

#include <QWidget>
#include <atomic>
#include <cstdint>
#include <string>

#include "playback/video_display.h"

class QScreen;

namespace tamberline {

// The window of the one video display: a top-level window of its own into
// which the owner's graph draws (X11 video overlay). It never takes the
// keyboard: the console keeps it, so trigger keys keep working. With
// `fullScreenOnSecond` and a second screen, pictures fill that screen;
// otherwise the window is centred on the console's screen.
class VideoWindow final : public QWidget, public VideoScreen {
public:
    VideoWindow(QWidget& console, bool fullScreenOnSecond);
    ~VideoWindow() override;

    // VideoScreen, any thread.
    GstElement* MakeRenderer() override;
    PictureArea Area() const override;
    void Show(const std::string& caption, int width, int height) override;
    void Hide() override;

protected:
    // The graph draws the whole window; Qt paints nothing of it.
    QPaintEngine* paintEngine() const override { return nullptr; }
    void paintEvent(QPaintEvent*) override {}

private:
    // The screen pictures go to, and whether they fill it (GUI thread).
    QScreen* PictureScreen(bool* fullScreen) const;
    void UpdateArea();
    void ShowNow(const QString& caption, int width, int height);

    QWidget& console_;
    const bool fullScreenOnSecond_;
    uintptr_t handle_ = 0;  // 0: no window that a renderer can draw into
    std::string display_;
    std::atomic<int> areaWidth_{0};
    std::atomic<int> areaHeight_{0};
    std::atomic<bool> areaFull_{false};
};

}  // namespace tamberline

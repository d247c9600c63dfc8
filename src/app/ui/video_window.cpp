#include "app/ui/video_window.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include "playback/graph/video_renderer.h"

namespace tamberline {

VideoWindow::VideoWindow(QWidget& console, bool fullScreenOnSecond)
    : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus),
      console_(console),
      fullScreenOnSecond_(fullScreenOnSecond) {
    setAttribute(Qt::WA_NativeWindow);
    setAttribute(Qt::WA_PaintOnScreen);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_QuitOnClose, false);
    setFocusPolicy(Qt::NoFocus);
    // Only an X server's windows take the overlay; elsewhere (the offscreen
    // platform of tests) video files play their sound only.
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        handle_ = static_cast<uintptr_t>(winId());
        display_ = qEnvironmentVariable("DISPLAY").toStdString();
    }
    connect(qApp, &QGuiApplication::screenAdded, this, [this] { UpdateArea(); });
    connect(qApp, &QGuiApplication::screenRemoved, this, [this] { UpdateArea(); });
    UpdateArea();
}

VideoWindow::~VideoWindow() = default;

GstElement* VideoWindow::MakeRenderer() {
    return handle_ != 0 ? MakeVideoRenderer(handle_, display_) : nullptr;
}

PictureArea VideoWindow::Area() const {
    return {areaWidth_.load(), areaHeight_.load(), areaFull_.load()};
}

QScreen* VideoWindow::PictureScreen(bool* fullScreen) const {
    QScreen* consoleScreen = console_.screen();
    if (fullScreenOnSecond_) {
        for (QScreen* screen : QGuiApplication::screens()) {
            if (screen != consoleScreen) {
                if (fullScreen != nullptr) {
                    *fullScreen = true;
                }
                return screen;
            }
        }
    }
    if (fullScreen != nullptr) {
        *fullScreen = false;
    }
    return consoleScreen;
}

void VideoWindow::UpdateArea() {
    bool full = false;
    QScreen* screen = PictureScreen(&full);
    const QSize size = screen == nullptr ? QSize()
                       : full            ? screen->geometry().size()
                                         : screen->availableGeometry().size();
    areaWidth_ = size.width();
    areaHeight_ = size.height();
    areaFull_ = full;
}

void VideoWindow::Show(const std::string& caption, int width, int height) {
    QMetaObject::invokeMethod(
        this,
        [this, text = QString::fromStdString(caption), width, height] {
            ShowNow(text, width, height);
        },
        Qt::QueuedConnection);
}

void VideoWindow::Hide() {
    QMetaObject::invokeMethod(
        this, [this] { hide(); }, Qt::QueuedConnection);
}

void VideoWindow::ShowNow(const QString& caption, int width, int height) {
    UpdateArea();
    setWindowTitle(caption);
    bool full = false;
    QScreen* screen = PictureScreen(&full);
    if (full && screen != nullptr) {
        setGeometry(screen->geometry());
        showFullScreen();
    } else {
        if (isFullScreen()) {
            showNormal();
        }
        QRect placed(0, 0, width, height);
        if (screen != nullptr) {
            placed.moveCenter(screen->availableGeometry().center());
        }
        setGeometry(placed);
        show();
    }
    raise();
    // The console keeps the keyboard; once more after the window manager
    // has mapped the new window.
    const auto giveBack = [this] {
        console_.window()->raise();
        console_.window()->activateWindow();
        raise();
    };
    giveBack();
    QTimer::singleShot(0, this, giveBack);
}

}  // namespace tamberline

#include "app/ui/button_grid.h"

#include <gtest/gtest.h>

#include <QDropEvent>
#include <QImage>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>

#include <QMainWindow>
#include <QMenuBar>

#include "app/console_fixture.h"
#include "app/ui/grid_painter.h"
#include "app/ui/menu_binder.h"

namespace tamberline::testing {
namespace {

class ButtonGridTest : public ConsoleTest {
protected:
    ButtonGridTest() : widget_(grid(), gestures(), LoadGridFonts(registry_)) {
        widget_.resize(1024, 768);
        widget_.show();
        widget_.SetPopupRunner([this](const std::vector<MenuItem>& items, QPoint) {
            popups_.push_back(items);
            return popupAnswer_;
        });
    }

    QPoint Centre(int button) const { return widget_.geometry().ButtonRect(button).center(); }

    void Mouse(QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
        QMouseEvent event(type, QPointF(at), QPointF(widget_.mapToGlobal(at)),
                          type == QEvent::MouseMove ? Qt::NoButton : button, held, modifiers);
        QCoreApplication::sendEvent(&widget_, &event);
    }
    void Click(QPoint at, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        Mouse(QEvent::MouseButtonPress, at, Qt::LeftButton, modifiers);
        Mouse(QEvent::MouseButtonRelease, at, Qt::LeftButton, modifiers);
    }
    void Key(QEvent::Type type, int key, bool repeat = false,
             Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent event(type, key, modifiers, QString(), repeat);
        QCoreApplication::sendEvent(&widget_, &event);
    }
    // Files dragged in from the desktop and let go at a point.
    void Drop(const QMimeData& data, QPoint at) {
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&widget_, &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&widget_, &drop);
    }
    QImage Shot() { return widget_.grab().toImage(); }

    // Pixels of `colour` inside `rect` of an image.
    static int Count(const QImage& image, const QRect& rect, QColor colour) {
        int n = 0;
        for (int y = rect.top(); y <= rect.bottom(); ++y) {
            for (int x = rect.left(); x <= rect.right(); ++x) {
                n += image.pixelColor(x, y) == colour ? 1 : 0;
            }
        }
        return n;
    }

    ButtonGrid widget_;
    std::vector<std::vector<MenuItem>> popups_;
    int popupAnswer_ = 0;
};

TEST_F(ButtonGridTest, LaysOutTheClientAreaItCovers) {
    const GridGeometry expected = LayoutGrid(QSize(1024, 768), 0, 1);
    EXPECT_EQ(widget_.geometry().buttonWidth, 139);
    EXPECT_EQ(widget_.geometry().buttonHeight, expected.buttonHeight);
    EXPECT_EQ(widget_.geometry().gridLeft, expected.gridLeft);
    widget_.SetMenuHeight(36);
    EXPECT_EQ(widget_.geometry().headerHeight, 36);
}

TEST_F(ButtonGridTest, BlackAndWhiteFacesGetTheOtherColourForTheirCaptions) {
    Put(0, "/s/a.wav", "Black face").colour = 0x000000;
    Put(1, "/s/b.wav", "White face").colour = 0xFFFFFF;
    const QImage image = Shot();
    const GridGeometry& g = widget_.geometry();
    const QRect blackCaption = g.ButtonRect(0).adjusted(10, 4, -9, -26);
    const QRect whiteCaption = g.ButtonRect(1).adjusted(10, 4, -9, -26);
    EXPECT_EQ(image.pixelColor(blackCaption.bottomRight()), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(whiteCaption.bottomRight()), QColor(Qt::white));
    EXPECT_GT(Count(image, blackCaption, Qt::white), 20);
    EXPECT_GT(Count(image, whiteCaption, Qt::black), 20);
}

TEST_F(ButtonGridTest, TimeFieldsShowTheRunState) {
    Put(2, "/s/a.wav").colour = 0x00FF00;
    Put(3, "/s/b.wav").colour = 0x00FF00;
    Put(4, "/s/c.wav").colour = 0x00FF00;
    State(3).running = true;
    State(3).remainingMs = 5000;
    State(4).paused = true;
    const QImage image = Shot();
    const GridGeometry& g = widget_.geometry();
    auto corner = [&](int button) {
        return image.pixelColor(g.TimeRect(button).topLeft() + QPoint(2, 2));
    };
    EXPECT_EQ(corner(2), QColor(0, 255, 0));
    EXPECT_EQ(corner(3), QColor(255, 0, 0));
    EXPECT_EQ(corner(4), QColor(0xC0, 0xC0, 0xC0));
    EXPECT_GT(Count(image, g.TimeRect(3), Qt::white), 10);  // the clock, white on red
}

TEST_F(ButtonGridTest, ClickStartsAndPressMovedOffStartsNothing) {
    Put(9, "/s/a.wav");
    Put(10, "/s/b.wav");
    Click(Centre(9));
    EXPECT_EQ(run_.calls, std::vector<std::string>{"start 9"});
    run_.calls.clear();
    Mouse(QEvent::MouseButtonPress, Centre(9));
    Mouse(QEvent::MouseMove, Centre(10));
    Mouse(QEvent::MouseButtonRelease, Centre(10));
    EXPECT_TRUE(run_.calls.empty());
    // Hovering fills the status line with the button under the pointer.
    EXPECT_EQ(grid().statusButton(), 10);
    EXPECT_EQ(grid().StatusField(0), " 11: Out 1, 0dB ");
}

TEST_F(ButtonGridTest, ButtonsOfTheOtherPagesAreReachedThroughThePage) {
    Put(42 + 9, "/s/a.wav");
    Key(QEvent::KeyPress, Qt::Key_2);
    Key(QEvent::KeyRelease, Qt::Key_2);
    Click(Centre(9));
    EXPECT_EQ(run_.calls, std::vector<std::string>{"start 51"});
}

TEST_F(ButtonGridTest, ContextMenuCommandsRunOnTheButton) {
    Put(5, "/s/a.wav", "A");
    popupAnswer_ = cmd::kCopy;
    Mouse(QEvent::MouseButtonPress, Centre(5), Qt::RightButton, Qt::ControlModifier);
    ASSERT_EQ(popups_.size(), 1u);
    EXPECT_EQ(popups_[0][0].text, "Setup Button 6");
    EXPECT_TRUE(gestures().buttonClipFilled());
    popupAnswer_ = cmd::kPaste;
    Mouse(QEvent::MouseButtonPress, Centre(6), Qt::RightButton, Qt::ShiftModifier);
    EXPECT_EQ(CaptionOf(At(6)), "A");
    // A plain right press on an idle button opens nothing.
    Mouse(QEvent::MouseButtonPress, Centre(7), Qt::RightButton);
    EXPECT_EQ(popups_.size(), 2u);
}

TEST_F(ButtonGridTest, TabDragSelectsABlockAndItsMenuWorksOnIt) {
    Put(0, "/s/a.wav", "A");
    Key(QEvent::KeyPress, Qt::Key_Tab);
    Mouse(QEvent::MouseButtonPress, Centre(0));
    Mouse(QEvent::MouseMove, Centre(8));
    Mouse(QEvent::MouseButtonRelease, Centre(8));
    Key(QEvent::KeyRelease, Qt::Key_Tab);
    EXPECT_EQ(grid().selection().Buttons(), (std::vector<int>{0, 1, 7, 8}));
    popupAnswer_ = cmd::kBlockDelete;
    Mouse(QEvent::MouseButtonPress, Centre(1), Qt::RightButton);
    ASSERT_EQ(popups_.size(), 1u);
    EXPECT_EQ(popups_[0][0].text, "Block assign");
    EXPECT_FALSE(IsAssigned(At(0)));
    EXPECT_FALSE(grid().selection().selected);
}

TEST_F(ButtonGridTest, KeysFireTriggersOncePerPressAndTabIsNotAFocusKey) {
    Put(7, "/s/a.wav").triggerKey = 'K';
    Put(200, "/s/b.wav").triggerKey = 'K';
    Key(QEvent::KeyPress, Qt::Key_K);
    Key(QEvent::KeyPress, Qt::Key_K, true);
    Key(QEvent::KeyRelease, Qt::Key_K);
    EXPECT_EQ(run_.requests, (std::vector<std::vector<int>>{{7, 200}}));
    Key(QEvent::KeyPress, Qt::Key_F10);
    Key(QEvent::KeyRelease, Qt::Key_F10);
    grid().CheckCue();
    Key(QEvent::KeyPress, Qt::Key_Tab);
    Key(QEvent::KeyRelease, Qt::Key_Tab);
    EXPECT_EQ(grid().cueIndex(), 200);
}

TEST_F(ButtonGridTest, DroppedUrlsAreAssignedFromTheButtonUnderThePoint) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(Sample("Intro.wav"))),
                  QUrl::fromLocalFile(QString::fromStdString(Sample("Outro.wav")))});
    Drop(data, Centre(12));
    EXPECT_EQ(CaptionOf(At(12)), "Intro");
    EXPECT_EQ(CaptionOf(At(13)), "Outro");

    QMimeData remote;
    remote.setUrls({QUrl(QStringLiteral("smb://server/share/x.wav"))});
    Drop(remote, Centre(20));
    EXPECT_FALSE(IsAssigned(At(20)));
    EXPECT_EQ(box_.Texts(), std::vector<std::string>{"Cannot load files from\na network device."});
}

TEST_F(ButtonGridTest, HintBoxClickSwitchesTouchScreenAndItsText) {
    const QRect hint = widget_.geometry().hintBox;
    Click(hint.center());
    EXPECT_TRUE(grid().touchScreen());
    EXPECT_EQ(HintText(true), "Left-click to\nstop a\nrunning button");
    EXPECT_EQ(HintText(false), "Left-click to\nrestart a\nrunning button");
}

// The whole window as the operator sees it; written to the PNG named by
// TAMBERLINE_SCREENSHOT when that is set.
TEST_F(ButtonGridTest, WindowScreenshot) {
    const struct {
        int button;
        const char* caption;
        ColorRef colour;
        uint32_t durationMs;
    } buttons[] = {
        {0, "Overture", 0x00FF00, 185000}, {1, "Thunder\r\nlong", 0x000000, 12500},
        {2, "Door bell", 0xFFFFFF, 3000},  {3, "Crowd murmur loop", 0x0080FF, 3725000},
        {7, "Phone ring", 0xFF8000, 8000}, {8, "Wind", 0x808000, 60000},
        {9, "Buzzer A", 0x00FFFF, 1000},   {10, "Buzzer B", 0x00FFFF, 1000},
        {14, "Applause", 0xC0C0C0, 42000}, {20, "Interval music", 0x800080, 1200000},
        {41, "Last", 0x0000FF, 2000},
    };
    for (const auto& b : buttons) {
        ButtonRecord& r = Put(b.button, "/samples/x.wav", b.caption);
        r.colour = b.colour;
        r.durationMs = b.durationMs;
    }
    ButtonRecord& full = model_.session().Record(8);
    full.fadeIn = 20;
    full.fadeOut = 35;
    full.loop = 1;
    full.triggerKey = 'W';
    full.midiNote = 64;
    full.midiChannel = 2;
    State(0).running = true;
    State(0).remainingMs = 95300;
    State(8).running = true;
    State(8).fadingIn = true;
    State(8).remainingMs = 41000;
    State(8).playedMs = 19000;
    State(3).paused = true;
    State(3).remainingMs = 3600000;
    State(9).locked = true;
    State(10).locked = true;
    grid().ShowCue(2);
    ports_.opens = true;
    model_.ports().Enable(TriggerPort::kMidi);
    grid().SetStatusField(15, " 14:05:09 ");
    grid().ShowMessage(" Loading session ");

    QMainWindow window;
    MenuBinder menus(model_.menu(), *window.menuBar());
    menus.SetMenuFont(widget_.fonts().menu);
    widget_.setParent(&window);
    window.setCentralWidget(&widget_);
    window.resize(1024, 768 + window.menuBar()->sizeHint().height());
    window.show();
    widget_.SetMenuHeight(window.menuBar()->sizeHint().height());
    Mouse(QEvent::MouseMove, Centre(8));
    grid().PollRunStates();
    EXPECT_EQ(grid().StatusField(0), " 9: Out 1, 0dB ");
    EXPECT_EQ(model_.menu().Find(cmd::kPortsMenu)->text, " Ports M    ");

    const QImage image = window.grab().toImage();
    EXPECT_EQ(image.size(), window.size());
    if (const QByteArray path = qgetenv("TAMBERLINE_SCREENSHOT"); !path.isEmpty()) {
        EXPECT_TRUE(image.save(QString::fromLocal8Bit(path)));
    }
    widget_.setParent(nullptr);
}

}  // namespace
}  // namespace tamberline::testing

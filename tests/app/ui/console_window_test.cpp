#include "app/ui/console_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QStyle>

#include "app/ui/button_grid.h"
#include "help/help_topics.h"
#include "support/temp_dir.h"

namespace tamberline {
namespace {

class ConsoleWindowTest : public ::testing::Test {
protected:
    QStringList BarTitles() {
        QStringList titles;
        for (const QAction* action : window_.menuBar()->actions()) {
            titles << action->text();
        }
        return titles;
    }
    QAction* BarAction(const QString& text) {
        for (QAction* action : window_.menuBar()->actions()) {
            if (action->text() == text) {
                return action;
            }
        }
        return nullptr;
    }

    testing::TempDir dir_;
    Registry registry_{QString::fromStdString(dir_.File("Tamberline.conf"))};
    ConsoleWindow window_{registry_, ConsoleWindow::Parts::kNone};
};

TEST_F(ConsoleWindowTest, TheGridFillsTheWindowUnderTheMenuBar) {
    ASSERT_TRUE(window_.Start(""));
    EXPECT_EQ(window_.centralWidget(), &window_.buttonGrid());
    EXPECT_TRUE(window_.model().grid().sessionActive());
    EXPECT_EQ(BarTitles(),
              (QStringList{"File", " Ports      ", " Page 1 ", " Page 2 ", " Page 3 ", " Page 4 ",
                           " Page 5 ", " Page 6 ", " Page 7 ", " Page 8 ", "Help"}));
    EXPECT_GE(window_.buttonGrid().geometry().headerHeight, 30);
    window_.close();
}

TEST_F(ConsoleWindowTest, PageItemsSelectThePageAndCarryTheCheck) {
    ASSERT_TRUE(window_.Start(""));
    QAction* page3 = BarAction(" Page 3 ");
    ASSERT_NE(page3, nullptr);
    EXPECT_TRUE(BarAction(" Page 1 ")->isChecked());
    page3->trigger();
    EXPECT_EQ(window_.model().grid().currentPage(), 2);
    EXPECT_TRUE(page3->isChecked());
    EXPECT_FALSE(BarAction(" Page 1 ")->isChecked());
    window_.close();
}

TEST_F(ConsoleWindowTest, AltNeverOpensTheMenuAndTheHeaderShowsMessages) {
    EXPECT_EQ(window_.menuBar()->style()->styleHint(QStyle::SH_MenuBar_AltKeyNavigation, nullptr,
                                                    window_.menuBar()),
              0);
    ASSERT_TRUE(window_.Start(""));
    // Start-up's header messages end with the empty one.
    EXPECT_EQ(window_.model().grid().headerMessage(), "");
    window_.close();
}

// Keys carry the xkb keycode of the key (kernel key number + 8), as X11
// and Wayland deliver them; here an AZERTY layout's digit row with Shift.
TEST_F(ConsoleWindowTest, KeysReachTheConsoleWhicheverWidgetHasTheFocus) {
    ASSERT_TRUE(window_.Start(""));
    ConsoleGrid& grid = window_.model().grid();
    const auto send = [](QWidget* to, QEvent::Type type, int key, uint32_t place) {
        QKeyEvent event(type, key, Qt::ShiftModifier, place + 8, 0, 0);
        QApplication::sendEvent(to, &event);
        return event.isAccepted();
    };
    // The 3 key of the digit row gives '"' on AZERTY, Shift or not.
    send(window_.menuBar(), QEvent::KeyPress, Qt::Key_QuoteDbl, 4);
    send(window_.menuBar(), QEvent::KeyRelease, Qt::Key_QuoteDbl, 4);
    EXPECT_EQ(grid.currentPage(), 2);
    send(&window_.buttonGrid(), QEvent::KeyPress, Qt::Key_3, 4);
    EXPECT_EQ(grid.currentPage(), 2);
    send(&window_.buttonGrid(), QEvent::KeyPress, Qt::Key_Eacute, 3);
    EXPECT_EQ(grid.currentPage(), 1);
    window_.close();
}

TEST_F(ConsoleWindowTest, HelpMenuAndF1OpenGettingStarted) {
    registry_.SetString(settings::kHelpFile, HELP_PAGES_DIR);
    ASSERT_TRUE(window_.Start(""));
    window_.RunMenuCommand(cmd::kHelp);
    ASSERT_NE(window_.helpViewer().window(), nullptr);
    EXPECT_EQ(window_.helpViewer().window()->CurrentTopic(), help::kGetStarted);

    window_.helpViewer().Close();
    QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QApplication::sendEvent(&window_.buttonGrid(), &f1);
    ASSERT_NE(window_.helpViewer().window(), nullptr);
    EXPECT_EQ(window_.helpViewer().window()->CurrentTopic(), help::kGetStarted);
    window_.close();
}

}  // namespace
}  // namespace tamberline

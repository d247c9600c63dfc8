#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>
#include <QTextBrowser>
#include <QToolButton>
#include <QTreeWidget>

#include "help/help_service.h"
#include "help/help_topics.h"
#include "help/ui/help_window.h"
#include "help/ui/qt_help_viewer.h"
#include "session/registry.h"
#include "support/scripted_message_box.h"
#include "support/temp_dir.h"

namespace tamberline {
namespace {

class HelpWindowTest : public ::testing::Test {
protected:
    HelpWindowTest() { console_.setGeometry(300, 20, 800, 580); }

    HelpWindow& Window() {
        EXPECT_NE(viewer_.window(), nullptr);
        return *viewer_.window();
    }

    testing::TempDir dir_;
    Registry registry_{QString::fromStdString(dir_.File("settings.conf"))};
    testing::ScriptedMessageBox box_;
    QWidget console_;
    QtHelpViewer viewer_{&console_};
    HelpService help_{registry_, box_, viewer_, {HELP_PAGES_DIR}};
};

TEST_F(HelpWindowTest, EveryTopicOpensItsPageInOneWindowBesideTheConsole) {
    HelpWindow* first = nullptr;
    for (std::string_view topic : help::kAllTopics) {
        help_.ShowHelpTopic(topic);
        HelpWindow& window = Window();
        if (!first) {
            first = &window;
        }
        EXPECT_EQ(&window, first) << "one help window at a time";
        EXPECT_EQ(window.windowTitle(), QStringLiteral("Tamberline Help."));
        EXPECT_EQ(window.CurrentTopic(), topic);
        EXPECT_FALSE(window.Browser()->toPlainText().trimmed().isEmpty()) << topic;
        ASSERT_NE(window.Contents()->currentItem(), nullptr) << topic;
        EXPECT_TRUE(
            window.Contents()
                ->currentItem()
                ->data(0, Qt::UserRole)
                .toString()
                .startsWith(QString::fromUtf8(topic.data(), static_cast<int>(topic.size()))))
            << "the contents follow the page shown";
        EXPECT_TRUE(window.isVisible());
    }
    EXPECT_EQ(Window().geometry(), QRect(QPoint(300, 20), QPoint(1099, 599)));
    EXPECT_TRUE(box_.Texts().empty());
}

TEST_F(HelpWindowTest, ContentsIndexAndSearchLeadToPages) {
    help_.ShowHelpTopic(help::kGetStarted);
    HelpWindow& window = Window();
    EXPECT_EQ(window.Tabs()->tabText(0), QStringLiteral("Contents"));
    EXPECT_EQ(window.Tabs()->tabText(1), QStringLiteral("Index"));
    EXPECT_EQ(window.Tabs()->tabText(2), QStringLiteral("Search"));

    QTreeWidgetItem* console =
        window.Contents()->findItems(QStringLiteral("The console"), Qt::MatchExactly).value(0);
    ASSERT_NE(console, nullptr);
    emit window.Contents()->itemClicked(console, 0);
    EXPECT_EQ(window.CurrentTopic(), "Console.htm");

    window.IndexFilter()->setText(QStringLiteral("mid"));
    ASSERT_NE(window.IndexList()->currentItem(), nullptr);
    EXPECT_EQ(window.IndexList()->currentItem()->text(), QStringLiteral("MIDI"));
    emit window.IndexFilter()->returnPressed();
    EXPECT_EQ(window.CurrentTopic(), "Triggers.htm");

    window.SearchEdit()->setText(QStringLiteral("Stop groups"));
    window.RunSearch();
    ASSERT_GT(window.SearchResults()->count(), 0);
    QListWidgetItem* setup = nullptr;
    for (int row = 0; row < window.SearchResults()->count(); ++row) {
        if (window.SearchResults()->item(row)->text() == QStringLiteral("Setup Button")) {
            setup = window.SearchResults()->item(row);
        }
    }
    ASSERT_NE(setup, nullptr);
    emit window.SearchResults()->itemClicked(setup);
    EXPECT_EQ(window.CurrentTopic(), "Setup.htm");

    window.Browser()->backward();
    EXPECT_EQ(window.CurrentTopic(), "Triggers.htm");

    window.ExpandButton()->setChecked(true);
    EXPECT_TRUE(console->isExpanded());
}

TEST_F(HelpWindowTest, LinksOfAPageOpenTheirPages) {
    help_.ShowHelpTopic(help::kGetStarted);
    HelpWindow& window = Window();
    window.Browser()->setSource(QUrl(QStringLiteral("Setup.htm#triggers")));
    EXPECT_EQ(window.CurrentTopic(), "Setup.htm");
    EXPECT_TRUE(window.Browser()->toPlainText().contains(QStringLiteral("Keyboard trigger")));
}

TEST_F(HelpWindowTest, MissingPagesShowTheMessageAndNoWindow) {
    registry_.SetString(settings::kHelpFile, dir_.File("gone"));
    help_.ShowHelpTopic(help::kSetup);
    EXPECT_EQ(viewer_.window(), nullptr);
    EXPECT_EQ(box_.Texts(), std::vector<std::string>{
                                "Cannot find the help file.\nRe-install the software to repair."});
}

TEST_F(HelpWindowTest, HelpFromAModalDialogIsUsableAndOutlivesTheDialog) {
    auto* dialog = new QDialog(&console_);
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->show();
    ASSERT_EQ(QApplication::activeModalWidget(), dialog);

    help_.ShowHelpTopic(help::kBlockAssign);
    // A window of the modal dialog's own is not blocked by it.
    EXPECT_EQ(Window().parentWidget(), dialog);
    EXPECT_TRUE(Window().isWindow());

    dialog->done(QDialog::Rejected);
    delete dialog;
    ASSERT_NE(viewer_.window(), nullptr) << "the window stays open after the dialog";
    EXPECT_EQ(Window().parentWidget(), nullptr);
    EXPECT_TRUE(Window().isVisible());
    EXPECT_EQ(Window().CurrentTopic(), "BlockAssign.htm");
}

TEST_F(HelpWindowTest, TeardownStepClosesTheWindow) {
    help_.ShowHelpTopic(help::kGetStarted);
    ASSERT_NE(viewer_.window(), nullptr);
    HelpPart part(viewer_);
    part.Teardown(TeardownStep::kHelpWindow);
    EXPECT_EQ(viewer_.window(), nullptr);
}

}  // namespace
}  // namespace tamberline

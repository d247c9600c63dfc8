#include "help/help_service.h"

#include <gtest/gtest.h>

#include <QDir>

#include "help/help_topics.h"
#include "session/registry.h"
#include "support/scripted_message_box.h"
#include "support/temp_dir.h"

namespace tamberline {
namespace {

class FakeViewer final : public HelpViewer {
public:
    struct Shown {
        std::string folder;
        std::string topic;
        HelpRect where;
    };
    void Restore() override { calls.push_back("restore"); }
    HelpRect ConsoleRect() const override { return console; }
    HelpRect WorkArea() const override { return work; }
    bool Show(const std::string& folder, const std::string& topic, const HelpRect& where) override {
        calls.push_back("show");
        shown.push_back({folder, topic, where});
        return opens;
    }
    void Close() override { calls.push_back("close"); }

    HelpRect console{0, 0, 1280, 800};
    HelpRect work{0, 0, 1280, 800};
    bool opens = true;
    std::vector<std::string> calls;
    std::vector<Shown> shown;
};

class HelpServiceTest : public ::testing::Test {
protected:
    HelpService Service(std::vector<std::string> installed) {
        return HelpService(registry_, box_, viewer_, std::move(installed));
    }
    void ExpectMissingMessage() {
        EXPECT_EQ(box_.Texts(),
                  std::vector<std::string>{
                      "Cannot find the help file.\nRe-install the software to repair."});
        EXPECT_TRUE(viewer_.shown.empty() || !viewer_.opens);
    }

    testing::TempDir dir_;
    Registry registry_{QString::fromStdString(dir_.File("settings.conf"))};
    testing::ScriptedMessageBox box_;
    FakeViewer viewer_;
};

TEST_F(HelpServiceTest, EveryTopicOpensFromTheFirstInstalledFolderThatHoldsThePages) {
    HelpService help = Service({dir_.File("not-installed"), HELP_PAGES_DIR});
    for (std::string_view topic : help::kAllTopics) {
        viewer_.calls.clear();
        help.ShowHelpTopic(topic);
        ASSERT_EQ(viewer_.calls, (std::vector<std::string>{"restore", "show"})) << topic;
        EXPECT_EQ(viewer_.shown.back().folder, HELP_PAGES_DIR);
        EXPECT_EQ(viewer_.shown.back().topic, topic);
    }
    EXPECT_TRUE(box_.Texts().empty());
}

TEST_F(HelpServiceTest, StoredHelpFolderIsUsedEvenWhenPagesAreInstalled) {
    registry_.SetString(settings::kHelpFile, dir_.File("moved"));
    Service({HELP_PAGES_DIR}).ShowHelpTopic(help::kSetup);
    ExpectMissingMessage();
}

TEST_F(HelpServiceTest, MissingPagesGiveOnlyTheMessage) {
    struct Case {
        const char* name;
        std::vector<std::string> installed;
        std::string topic;
    };
    // A folder with the home page but nothing else.
    const std::string partial = dir_.Path() + "/partial";
    QDir().mkpath(QString::fromStdString(partial));
    QFile::copy(QStringLiteral(HELP_PAGES_DIR "/GetStarted.htm"),
                QString::fromStdString(partial + "/GetStarted.htm"));
    const Case cases[] = {
        {"nothing installed", {}, std::string(help::kSetup)},
        {"folder gone", {dir_.File("gone")}, std::string(help::kSetup)},
        {"contents and index missing", {partial}, std::string(help::kGetStarted)},
        {"unknown topic", {HELP_PAGES_DIR}, "NoSuchPage.htm"},
        {"topic leaves the folder", {HELP_PAGES_DIR}, "../pages/Setup.htm"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        box_ = testing::ScriptedMessageBox();
        viewer_.shown.clear();
        Service(c.installed).ShowHelpTopic(c.topic);
        ExpectMissingMessage();
        EXPECT_TRUE(viewer_.shown.empty());
    }
}

TEST_F(HelpServiceTest, WindowThatDoesNotOpenGivesTheMessage) {
    viewer_.opens = false;
    Service({HELP_PAGES_DIR}).ShowHelpTopic(help::kGetStarted);
    ExpectMissingMessage();
}

TEST_F(HelpServiceTest, TopicWithAnAnchorOpensItsPage) {
    Service({HELP_PAGES_DIR}).ShowHelpTopic("GetStarted.htm#outputs");
    ASSERT_EQ(viewer_.shown.size(), 1u);
    EXPECT_EQ(viewer_.shown[0].topic, "GetStarted.htm#outputs");
    EXPECT_TRUE(box_.Texts().empty());
}

TEST(HelpWindowRect, RightEdgeAndTopOfTheConsoleEightHundredWideDownToSixHundred) {
    struct Case {
        const char* name;
        HelpRect console, work, expected;
    };
    const Case cases[] = {
        {"full screen", {0, 0, 1280, 800}, {0, 0, 1280, 800}, {480, 0, 1280, 600}},
        {"window", {100, 50, 1100, 700}, {0, 0, 1280, 800}, {300, 50, 1100, 600}},
        {"second monitor", {1280, 0, 2560, 1024}, {1280, 0, 2560, 1024}, {1760, 0, 2560, 600}},
        {"narrow console keeps inside", {0, 0, 640, 480}, {0, 0, 1280, 800}, {0, 0, 640, 600}},
        {"console low on the screen",
         {200, 500, 1200, 900},
         {0, 0, 1280, 1024},
         {400, 500, 1200, 800}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HelpWindowRect(c.console, c.work), c.expected) << c.name;
    }
}

TEST(HelpPart, ClosesTheWindowAtItsTeardownStepOnly) {
    FakeViewer viewer;
    HelpPart part(viewer);
    for (TeardownStep step : {TeardownStep::kGamePorts, TeardownStep::kAudioEngine,
                              TeardownStep::kHelpWindow, TeardownStep::kLinkSocket}) {
        part.Teardown(step);
    }
    EXPECT_EQ(viewer.calls, std::vector<std::string>{"close"});
}

}  // namespace
}  // namespace tamberline

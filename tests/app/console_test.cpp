#include "app/console.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/console_run_control.h"
#include "app/run_control_part.h"
#include "session/registry.h"
#include "session/session.h"
#include "session/session_host.h"
#include "support/manual_clock.h"
#include "support/scripted_file_dialog.h"
#include "support/scripted_message_box.h"
#include "support/temp_dir.h"

namespace tamberline {
namespace {

const char* StartName(StartStep step) {
    switch (step) {
        case StartStep::kMediaLibrary: return "init media";
        case StartStep::kFolderTreeFiller: return "folder tree";
        case StartStep::kMediaFramework: return "check media";
        case StartStep::kTimecodeSources: return "timecode sources";
        case StartStep::kGamePorts: return "game ports";
        case StartStep::kMediaGraphs: return "graphs";
        case StartStep::kOutputs: return "outputs";
        case StartStep::kDeviceSnapshot: return "devices";
        case StartStep::kHostAddress: return "host";
        case StartStep::kNetworkMenu: return "network menu";
        case StartStep::kSession: return "session restored";
        case StartStep::kStartWorker: return "start worker";
        case StartStep::kTriggerPorts: return "ports";
        case StartStep::kStatus: return "status";
    }
    return "?";
}

const char* ExitName(ExitStep step) {
    switch (step) {
        case ExitStep::kAskRunning: return "ask running";
        case ExitStep::kConfirmDiscard: return "discard confirmed";
        case ExitStep::kStopAll: return "stop all";
        case ExitStep::kRunLogCheck: return "run log";
        case ExitStep::kStopTick: return "tick stopped";
        case ExitStep::kCloseLink: return "close link";
        case ExitStep::kClosePorts: return "close ports";
    }
    return "?";
}

const char* TeardownName(TeardownStep step) {
    switch (step) {
        case TeardownStep::kGamePorts: return "release game ports";
        case TeardownStep::kStartWorker: return "stop start worker";
        case TeardownStep::kMediaGraphs: return "release graphs";
        case TeardownStep::kAudioEngine: return "release engine";
        case TeardownStep::kHelpWindow: return "close help";
        case TeardownStep::kStartedPrograms: return "end programs";
        case TeardownStep::kLinkSocket: return "release socket";
    }
    return "?";
}

// Logs every step the console runs it through; refuses the steps it is told to.
class RecordingPart : public ConsolePart {
public:
    explicit RecordingPart(std::vector<std::string>& log) : log_(log) {}
    std::optional<StartStep> failStart;
    std::optional<ExitStep> refuseExit;
    bool startupCompleteAtStatus = false;
    const MainTick* tick = nullptr;

    bool Start(StartStep step) override {
        log_.push_back(StartName(step));
        if (step == StartStep::kStatus && tick) {
            startupCompleteAtStatus = tick->startupComplete();
        }
        return step != failStart;
    }
    bool Exit(ExitStep step) override {
        log_.push_back(ExitName(step));
        return step != refuseExit;
    }
    void Teardown(TeardownStep step) override { log_.push_back(TeardownName(step)); }

private:
    std::vector<std::string>& log_;
};

// Notes in the parts' log when the session shows its name.
class SessionLog : public NullSessionHost {
public:
    explicit SessionLog(std::vector<std::string>& log) : log_(log) {}
    void UpdateTitle() override { log_.push_back("session title"); }

private:
    std::vector<std::string>& log_;
};

class RecordingView : public ConsoleView {
public:
    std::vector<std::string> headers;
    bool timerRunning = false;
    MonitorRect area{0, 0, 1920, 1040};
    void ShowHeaderMessage(const std::string& text) override { headers.push_back(text); }
    void StartTickTimer() override { timerRunning = true; }
    void StopTickTimer() override { timerRunning = false; }
    MonitorRect CurrentWorkArea() const override { return area; }
};

class ConsoleTest : public ::testing::Test {
protected:
    testing::TempDir dir_;
    Registry registry_{QString::fromStdString(dir_.File("Tamberline.conf"))};
    testing::ScriptedMessageBox box_;
    testing::ScriptedFileDialog files_;
    testing::ManualClock clock_;
    std::vector<std::string> log_;
    RecordingPart part_{log_};
    RecordingView view_;
    SessionLog host_{log_};
    Session session_{SessionServices{box_, files_, registry_, host_, dir_.Path()}};
    Console console_{session_, registry_, clock_, view_};

    void SetUp() override {
        part_.tick = &console_.tick();
        console_.AddPart(part_);
    }
};

TEST_F(ConsoleTest, StartUpRunsItsStepsInOrderAndStartsTheTimer) {
    ASSERT_TRUE(console_.Start(""));
    const std::vector<std::string> expected = {
        "init media",
        "folder tree",
        "check media",
        "timecode sources",
        "game ports",
        "graphs",
        "outputs",
        "devices",
        "host",
        "network menu",
        // the session comes up: a new one, then its clean-up after loading
        "session title",
        "session title",
        "session restored",
        "start worker",
        "ports",
        "status",
    };
    EXPECT_EQ(log_, expected);
    EXPECT_TRUE(part_.startupCompleteAtStatus);
    EXPECT_TRUE(console_.tick().enabled());
    EXPECT_TRUE(console_.tick().startupComplete());
    EXPECT_TRUE(view_.timerRunning);
    EXPECT_EQ(view_.headers,
              (std::vector<std::string>{" Writing kernel microcode ", " Loading session ", ""}));
    EXPECT_TRUE(box_.shown().empty());
}

TEST_F(ConsoleTest, APartThatFailsItsStepEndsTheStart) {
    const struct {
        StartStep step;
        size_t steps;
    } cases[] = {
        {StartStep::kMediaLibrary, 1},
        {StartStep::kMediaFramework, 3},
    };
    for (const auto& c : cases) {
        std::vector<std::string> log;
        RecordingPart part(log);
        part.failStart = c.step;
        RecordingView view;
        Console console(session_, registry_, clock_, view);
        console.AddPart(part);
        EXPECT_FALSE(console.Start(""));
        EXPECT_EQ(log.size(), c.steps);
        EXPECT_EQ(log.back(), StartName(c.step));
        EXPECT_FALSE(view.timerRunning);
        EXPECT_FALSE(console.tick().enabled());
    }
}

TEST_F(ConsoleTest, ExitAsksOnceAboutTheFirstRunningButtonThenStopsAndClosesInOrder) {
    const LinkState link;
    ConsoleRunControl run(box_, dir_.Path(), link);
    run.AttachSession(&session_, [](int) {});
    // Button 2's graph runs but the button is empty: not asked about.
    const std::vector<int> runningGraphs = {2, 4, 9};
    RunControlPart runPart(run, session_, box_, [&runningGraphs](int from) {
        for (int button : runningGraphs) {
            if (button >= from) {
                return button;
            }
        }
        return -1;
    });
    console_.AddPart(runPart);
    ASSERT_TRUE(console_.Start(""));
    for (int button : {4, 9}) {
        ButtonRecord& record = session_.Record(button);
        SetPath(record, "/shows/a.wav");
        record.status = STATUS_ASSIGNED;
    }
    box_.Answer("No");
    log_.clear();
    EXPECT_FALSE(console_.Exit());
    EXPECT_EQ(box_.Texts(),
              (std::vector<std::string>{"Button 5 is running.\nSure you want to exit?"}));
    EXPECT_EQ(log_, (std::vector<std::string>{"ask running"}));
    EXPECT_TRUE(console_.tick().enabled());

    log_.clear();
    box_.Answer("Yes");
    box_.Answer("No");  // do not save the untitled session
    EXPECT_TRUE(console_.Exit());
    ASSERT_EQ(box_.shown().size(), 3u);
    EXPECT_EQ(box_.shown()[2].text, "Do you want to save this session ?");
    EXPECT_EQ(log_,
              (std::vector<std::string>{"ask running", "discard confirmed", "stop all", "run log",
                                        "tick stopped", "close link", "close ports"}));
    EXPECT_FALSE(console_.tick().enabled());
    EXPECT_TRUE(console_.shuttingDown());
    EXPECT_FALSE(view_.timerRunning);
    console_.Teardown();
}

TEST_F(ConsoleTest, StartWithoutSessionsMakesAnUntitledOneAndShowsItsName) {
    ASSERT_TRUE(console_.Start(""));
    EXPECT_TRUE(session_.sessionUntitled());
    EXPECT_EQ(session_.sessionPath(), dir_.File("Untitled.dbf"));
    EXPECT_FALSE(session_.IsModified());
}

TEST_F(ConsoleTest, UnsavedChangesAreOfferedAtExitAndCancelKeepsRunning) {
    ASSERT_TRUE(console_.Start(""));
    Session& session = session_;
    session.BeginChange();
    session.AppendUndoEntry(0);
    SetPath(session.Record(0), "/shows/bell.wav");
    session.Record(0).status = STATUS_ASSIGNED;
    session.EndChange(false);
    EXPECT_TRUE(session_.IsModified());

    box_.Answer("Cancel");
    EXPECT_FALSE(console_.Exit());
    EXPECT_EQ(box_.Texts(), (std::vector<std::string>{"Do you want to save this session ?"}));
    EXPECT_TRUE(console_.tick().enabled());
}

TEST_F(ConsoleTest, CommandLineSessionIsOpenedAtStart) {
    const std::string path = dir_.Write("Gala night.dbf", std::string(198912, '\0'));
    ASSERT_TRUE(console_.Start("\"" + path + "\""));
    EXPECT_EQ(session_.sessionPath(), path);
    EXPECT_FALSE(session_.sessionUntitled());
    std::string mru;
    EXPECT_TRUE(registry_.GetString(settings::RecentSession(1), mru));
    EXPECT_EQ(mru, path);
}

TEST_F(ConsoleTest, RunLogRefusalAbandonsTheExit) {
    ASSERT_TRUE(console_.Start(""));
    part_.refuseExit = ExitStep::kRunLogCheck;
    EXPECT_FALSE(console_.Exit());
    EXPECT_TRUE(console_.tick().enabled());
    EXPECT_FALSE(console_.shuttingDown());
}

TEST_F(ConsoleTest, TeardownReleasesInOrderAndStoresTheWorkArea) {
    ASSERT_TRUE(console_.Start(""));
    ASSERT_TRUE(console_.Exit());
    log_.clear();
    console_.Teardown();
    EXPECT_EQ(log_, (std::vector<std::string>{"release game ports", "stop start worker",
                                              "release graphs", "release engine", "close help",
                                              "end programs", "release socket"}));
    std::string stored;
    EXPECT_TRUE(registry_.GetString(settings::kMonitor, stored));
    EXPECT_EQ(stored, "+0000+0000+1920+1040");
}

}  // namespace
}  // namespace tamberline

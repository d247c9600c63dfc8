#include "app/console.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "session/registry.h"
#include "session/session.h"
#include "session/session_host.h"
#include "support/manual_clock.h"
#include "support/scripted_file_dialog.h"
#include "support/scripted_message_box.h"
#include "support/temp_dir.h"

namespace tamberline {
namespace {

const char* PortName(TriggerPort port) {
    switch (port) {
        case TriggerPort::kSmpte: return "SMPTE";
        case TriggerPort::kMidi: return "MIDI";
        case TriggerPort::kPbus: return "P-Bus";
        case TriggerPort::kGamePort: return "game";
    }
    return "?";
}

// Logs every step the console asks of the rest of the program.
class RecordingParts : public ConsoleParts {
public:
    std::vector<std::string> log;
    bool mediaLibrary = true;
    bool mediaFramework = true;
    bool runLogAllowsExit = true;

    bool InitialiseMediaLibrary() override { return Note("init media", mediaLibrary); }
    void StartFolderTreeFiller() override { Note("folder tree"); }
    bool MediaFrameworkPresent() override { return Note("check media", mediaFramework); }
    void FillTimecodeSources() override { Note("timecode sources"); }
    void CreateGamePorts() override { Note("game ports"); }
    void CreateMediaGraphs() override { Note("graphs"); }
    void BuildOutputs() override { Note("outputs"); }
    void SnapshotDevices() override { Note("devices"); }
    std::string ResolveHostAddress() override {
        Note("host");
        return "10.0.0.7";
    }
    void SetNetworkMenuText() override { Note("network menu"); }
    void StartStartWorker() override { Note("start worker"); }
    void OpenPort(TriggerPort port) override { Note(std::string("open ") + PortName(port)); }
    void ShowCueAndPortStatus() override { Note("status"); }
    std::vector<int> runningGraphs;
    int NextRunningGraphButton(int from) override {
        for (int button : runningGraphs) {
            if (button >= from) {
                return button;
            }
        }
        return -1;
    }
    void StopAll() override { Note("stop all"); }
    bool RunLogExitCheck() override { return Note("run log", runLogAllowsExit); }
    void CloseLink() override { Note("close link"); }
    void ClosePort(TriggerPort port) override { Note(std::string("close ") + PortName(port)); }
    void ReleaseGamePorts() override { Note("release game ports"); }
    void StopStartWorker() override { Note("stop start worker"); }
    void ReleaseMediaGraphs() override { Note("release graphs"); }
    void ReleaseAudioEngine() override { Note("release engine"); }
    void CloseHelpWindow() override { Note("close help"); }
    void EndStartedPrograms() override { Note("end programs"); }
    void ReleaseLinkSocket() override { Note("release socket"); }

private:
    bool Note(const std::string& what, bool result = true) {
        log.push_back(what);
        return result;
    }
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
    RecordingParts parts_;
    RecordingView view_;
    SessionLog host_{parts_.log};
    Session session_{SessionServices{box_, files_, registry_, host_, dir_.Path()}};
    Console console_{box_, session_, registry_, clock_, parts_, view_};
};

TEST_F(ConsoleTest, StartUpRunsItsStepsInOrderAndStartsTheTimer) {
    registry_.SetOn("PortEnable", true);
    registry_.SetOn("SMPTEEnable", true);
    registry_.SetDword("MidiEnable", 1);  // only 9 means on
    registry_.SetOn("TouchScreen", true);

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
        "start worker",
        "open SMPTE",
        "open game",
        "status",
    };
    EXPECT_EQ(parts_.log, expected);
    EXPECT_TRUE(console_.touchScreen());
    EXPECT_EQ(console_.hostAddress(), "10.0.0.7");
    EXPECT_TRUE(console_.tick().enabled());
    EXPECT_TRUE(console_.tick().startupComplete());
    EXPECT_TRUE(view_.timerRunning);
    EXPECT_EQ(view_.headers,
              (std::vector<std::string>{" Writing kernel microcode ", " Loading session ", ""}));
    EXPECT_TRUE(box_.shown().empty());
}

TEST_F(ConsoleTest, MissingMediaLibrariesEndTheStartWithTheirMessage) {
    const struct {
        bool library;
        bool framework;
        std::string message;
        size_t steps;
    } cases[] = {
        {false, true, "Unable to initialise COM library.", 1},
        {true, false,
         "DirectX components required by Tamberline not found.\n\n"
         "Download them from the Microsoft website,\n",
         3},
    };
    for (const auto& c : cases) {
        testing::ScriptedMessageBox box;
        RecordingParts parts;
        parts.mediaLibrary = c.library;
        parts.mediaFramework = c.framework;
        RecordingView view;
        Console console(box, session_, registry_, clock_, parts, view);
        EXPECT_FALSE(console.Start(""));
        ASSERT_EQ(box.shown().size(), 1u);
        EXPECT_EQ(box.shown()[0].text, c.message);
        EXPECT_EQ(box.shown()[0].flags, mb::kOk | mb::kIconStop);
        EXPECT_EQ(parts.log.size(), c.steps);
        EXPECT_FALSE(view.timerRunning);
    }
}

TEST_F(ConsoleTest, ExitAsksOnceAboutTheFirstRunningButton) {
    ASSERT_TRUE(console_.Start(""));
    // Button 2's graph runs but the button is empty: not asked about.
    parts_.runningGraphs = {2, 4, 9};
    for (int button : {4, 9}) {
        ButtonRecord& record = session_.Record(button);
        SetPath(record, "/shows/a.wav");
        record.status = STATUS_ASSIGNED;
    }
    box_.Answer("No");
    EXPECT_FALSE(console_.Exit());
    EXPECT_EQ(box_.Texts(),
              (std::vector<std::string>{"Button 5 is running.\nSure you want to exit?"}));
    EXPECT_TRUE(console_.tick().enabled());

    parts_.log.clear();
    box_.Answer("Yes");
    box_.Answer("No");  // do not save the untitled session
    EXPECT_TRUE(console_.Exit());
    ASSERT_EQ(box_.shown().size(), 3u);
    EXPECT_EQ(box_.shown()[2].text, "Do you want to save this session ?");
    EXPECT_EQ(parts_.log,
              (std::vector<std::string>{"stop all", "run log", "close link", "close SMPTE",
                                        "close game", "close MIDI", "close P-Bus"}));
    EXPECT_FALSE(console_.tick().enabled());
    EXPECT_TRUE(console_.shuttingDown());
    EXPECT_FALSE(view_.timerRunning);
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
    EXPECT_TRUE(registry_.GetString("MRU1", mru));
    EXPECT_EQ(mru, path);
}

TEST_F(ConsoleTest, RunLogRefusalAbandonsTheExit) {
    ASSERT_TRUE(console_.Start(""));
    parts_.runLogAllowsExit = false;
    EXPECT_FALSE(console_.Exit());
    EXPECT_TRUE(console_.tick().enabled());
    EXPECT_FALSE(console_.shuttingDown());
}

TEST_F(ConsoleTest, TeardownReleasesInOrderAndStoresTheWorkArea) {
    ASSERT_TRUE(console_.Start(""));
    ASSERT_TRUE(console_.Exit());
    parts_.log.clear();
    console_.Teardown();
    EXPECT_EQ(parts_.log, (std::vector<std::string>{
                              "release game ports", "stop start worker", "release graphs",
                              "release engine", "close help", "end programs", "release socket"}));
    std::string stored;
    EXPECT_TRUE(registry_.GetString("Monitor", stored));
    EXPECT_EQ(stored, "+0000+0000+1920+1040");
}

}  // namespace
}  // namespace tamberline

#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <array>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "app/console_model.h"
#include "app/grid_hooks.h"
#include "app/run_control.h"
#include "net/link_state.h"
#include "session/session_fixture.h"
#include "triggers/key_triggers.h"

namespace tamberline::testing {

// Run control as a script: the states tests set, and every call made.
class FakeRunControl final : public RunControl {
public:
    void StartButton(int button) override { calls.push_back("start " + std::to_string(button)); }
    void ReleaseButton(int button) override {
        calls.push_back("release " + std::to_string(button));
    }
    void StopButton(int button) override {
        calls.push_back("stop " + std::to_string(button));
        states[static_cast<size_t>(button)].running = false;
        states[static_cast<size_t>(button)].paused = false;
    }
    void StopAll() override { calls.push_back("stop all"); }
    void SetReleaseToEnd(int button) override {
        calls.push_back("release to end " + std::to_string(button));
    }
    void ClearBuzzerLocks() override { calls.push_back("clear locks"); }
    void RequestStarts(const std::vector<int>& buttons) override { requests.push_back(buttons); }
    ButtonRunView State(int button) const override { return states[static_cast<size_t>(button)]; }
    void SetPlayedMs(int button, uint32_t ms) override {
        states[static_cast<size_t>(button)].playedMs = ms;
    }
    void MarkForReload(int) override {}
    int PrepareButton(int button, ButtonRecord& record) override {
        prepared.push_back(button);
        if (failPaths.count(std::string(PathOf(record)))) {
            return 2;
        }
        record.durationMs = 2000;
        return 0;
    }

    std::array<ButtonRunView, kButtonCount> states{};
    std::vector<std::string> calls;
    std::vector<std::vector<int>> requests;
    std::vector<int> prepared;
    std::set<std::string> failPaths;
};

class FakeHooks final : public GridHooks {
public:
    bool IsValidOutput(int row) const override { return row < outputs; }
    void OpenSetupButton(int button) override { setups.push_back(button); }
    void OpenBlockAssign(const std::vector<int>& buttons) override {
        blockAssigns.push_back(buttons);
    }
    void OpenCdRipper(const std::vector<int>& tracks) override { ripperTracks = tracks; }
    void OpenHelp() override { ++helps; }

    int helps = 0;
    int outputs = 4;
    std::vector<int> setups;
    std::vector<std::vector<int>> blockAssigns;
    std::vector<int> ripperTracks;
};

// Paths under "/cdrom/" lie on a CD; share paths are network paths.
class FakePathKinds final : public PathKinds {
public:
    bool IsNetworkPath(const std::string& path) const override {
        return path.rfind("//", 0) == 0 || path.rfind("\\\\", 0) == 0;
    }
    bool IsOnCdDrive(const std::string& path) const override {
        return path.rfind("/cdrom/", 0) == 0;
    }
};

// Counts what the model asks the window to repaint.
class RecordingView final : public GridView {
public:
    void InvalidateButton(int button) override { buttons.push_back(button); }
    void InvalidateTime(int button) override { times.push_back(button); }
    void InvalidateButtonInfo() override { ++buttonInfo; }
    void InvalidateStatusField(int field) override { fields.push_back(field); }
    void InvalidateGrid() override { ++grid; }
    void InvalidateHeader() override { ++header; }
    void InvalidateHint() override { ++hint; }
    void SetWaitCursor(bool wait) override { waitCursor.push_back(wait); }
    void Clear() { *this = RecordingView(); }

    std::vector<int> buttons, times, fields;
    std::vector<bool> waitCursor;
    int buttonInfo = 0, grid = 0, header = 0, hint = 0;
};

class FakePorts final : public PortHooks {
public:
    bool OpenTriggerPort(TriggerPort) override { return opens; }
    bool opens = false;
};

// A console model on a fresh untitled session, with scripted operator,
// fake run control and hooks.
class ConsoleTest : public ::testing::Test {
protected:
    ConsoleTest()
        : model_(ConsoleModelServices{box_, dialog_, registry_, run_, hooks_, link_, ports_,
                                      MakeDocuments(), &kinds_}) {
        model_.session().NewSession(false);
        model_.grid().SetView(&view_);
        model_.grid().SetSessionActive(true);
        view_.Clear();
        run_.calls.clear();
    }

    std::string MakeDocuments() {
        QDir().mkpath(QString::fromStdString(dir_.File("Documents")));
        return dir_.File("Documents");
    }

    // Puts a record straight into the session, without undo.
    ButtonRecord& Put(int button, const std::string& path, const std::string& caption = "cue") {
        ButtonRecord& r = model_.session().Record(button);
        r = Assigned(path, caption);
        return r;
    }
    const ButtonRecord& At(int button) {
        return model_.session().records()[static_cast<size_t>(button)];
    }
    ButtonRunView& State(int button) { return run_.states[static_cast<size_t>(button)]; }
    size_t JournalEntries() { return model_.session().journal().Length() / 608; }
    // A readable file in the test folder.
    std::string Sample(const std::string& name) { return dir_.Write(name, "RIFF"); }

    ConsoleGrid& grid() { return model_.grid(); }
    GridGestures& gestures() { return model_.gestures(); }

    TempDir dir_;
    Registry registry_{QString::fromStdString(dir_.File("Tamberline.conf"))};
    ScriptedMessageBox box_;
    ScriptedFileDialog dialog_;
    FakeRunControl run_;
    FakeHooks hooks_;
    LinkState link_;
    FakePathKinds kinds_;
    FakePorts ports_;
    RecordingView view_;
    ConsoleModel model_;
};

}  // namespace tamberline::testing

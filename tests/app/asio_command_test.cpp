// The ASIO menu command, its list-selection dialog model and the driver's
// control-panel program.

#include <signal.h>

#include <QFile>
#include <QThread>
#include <deque>
#include <functional>

#include "app/asio_command.h"
#include "app/asio_control_panel.h"
#include "app/list_selection_model.h"
#include "base/file_dialog.h"
#include "base/message_box.h"
#include "playback/engine_outputs.h"
#include "session/registry.h"
#include "support/scripted_message_box.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace tamberline::testing {
namespace {

class ScriptedFileDialog final : public FileDialog {
public:
    void Answer(const std::string& path) {
        FileDialogResult r;
        const size_t slash = path.rfind('/');
        r.ok = true;
        r.folder = path.substr(0, slash + 1);
        r.fileName = path.substr(slash + 1);
        answers_.push_back(r);
    }
    void Cancel() { answers_.push_back(FileDialogResult{}); }
    FileDialogResult Run(const FileDialogRequest& request) override {
        requests.push_back(request);
        if (answers_.empty()) {
            ADD_FAILURE() << "unexpected file dialog: " << request.title;
            return {};
        }
        FileDialogResult r = answers_.front();
        answers_.pop_front();
        return r;
    }
    std::vector<FileDialogRequest> requests;

private:
    std::deque<FileDialogResult> answers_;
};

class ScriptedSelection final : public ListSelectionRunner {
public:
    std::function<bool(ListSelectionModel&)> script;
    int runs = 0;
    bool Run(ListSelectionModel& model) override {
        ++runs;
        return script ? script(model) : false;
    }
};

TEST(ListSelectionModelTest, AsioRowsAndSelection) {
    const struct {
        std::vector<std::string> drivers;
        int index;
        std::vector<std::string> rows;
        int selected;
    } cases[] = {
        {{"system (JACK)", "hw:0 (ALSA)"},
         2,
         {"Do not use ASIO", "system (JACK)", "hw:0 (ALSA)"},
         2},
        {{"system (JACK)"}, 0, {"Do not use ASIO", "system (JACK)"}, 0},
        {{"system (JACK)"}, 4, {"Do not use ASIO", "system (JACK)"}, -1},
        {{}, 3, {"No ASIO drivers found"}, 0},
    };
    for (const auto& c : cases) {
        const ListSelectionModel model = ListSelectionModel::ForAsio(c.drivers, c.index);
        EXPECT_EQ(model.Mode(), ListSelectionMode::kAsio);
        EXPECT_EQ(model.Title(), "ASIO");
        EXPECT_EQ(model.Caption(), "Select ASIO Driver");
        EXPECT_EQ(model.Rows(), c.rows);
        EXPECT_EQ(model.Selected(), c.selected);
    }
    const ListSelectionModel smpte = ListSelectionModel::ForSmpte({"Capture 1", "Capture 2"}, 1);
    EXPECT_EQ(smpte.Title(), "SMPTE Source");
    EXPECT_EQ(smpte.Caption(), "Select input device");
    EXPECT_EQ(smpte.ControlPanelCaption(), "Device control");
    EXPECT_EQ(smpte.Rows(), (std::vector<std::string>{"Capture 1", "Capture 2"}));
    EXPECT_EQ(smpte.Selected(), 1);
}

class AsioCommand : public ::testing::Test {
protected:
    void TearDown() override {
        // End the panels these tests started, by their process ids.
        QFile log(QString::fromStdString(log_));
        if (log.open(QIODevice::ReadOnly)) {
            for (const QByteArray& line : log.readAll().split('\n')) {
                if (!line.isEmpty()) {
                    ::kill(static_cast<pid_t>(line.toLongLong()), SIGKILL);
                }
            }
        }
    }
    void RunCommand() {
        AsioMenuCommand::Hooks hooks;
        hooks.anyButtonRunning = [this] { return running_; };
        hooks.drivers = [this] { return drivers_; };
        hooks.outputsChanged = [this] { ++rebuilds_; };
        AsioMenuCommand(registry_, messages_, dialog_, panels_, hooks).Run();
    }
    // A panel program that notes its process id and keeps running.
    std::string PanelScript() {
        const std::string path =
            dir_.Write("panel.sh", "#!/bin/sh\necho $$ >> '" + log_ + "'\nexec sleep 60\n");
        QFile::setPermissions(QString::fromStdString(path),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }
    // Process ids the panel noted, waiting a little for the newest.
    std::vector<long long> Started(size_t atLeast) {
        std::vector<long long> pids;
        for (int i = 0; i < 100; ++i) {
            pids.clear();
            QFile log(QString::fromStdString(log_));
            if (log.open(QIODevice::ReadOnly)) {
                for (const QByteArray& line : log.readAll().split('\n')) {
                    if (!line.isEmpty()) {
                        pids.push_back(line.toLongLong());
                    }
                }
            }
            if (pids.size() >= atLeast) {
                break;
            }
            QThread::msleep(20);
        }
        return pids;
    }
    void PressControlPanel(int row, bool reassign) {
        dialog_.script = [&](ListSelectionModel& model) {
            model.Select(row);
            model.OpenControlPanel(reassign);
            return false;
        };
        RunCommand();
    }

    TempDir dir_;
    std::string log_ = dir_.File("started.log");
    Registry registry_{QString::fromStdString(dir_.File("Tamberline.conf"))};
    ScriptedMessageBox messages_;
    ScriptedFileDialog files_;
    ScriptedSelection dialog_;
    AsioControlPanels panels_{registry_, messages_, files_};
    std::vector<std::string> drivers_{"system (JACK Audio Connection Kit)", "hw:0 (ALSA)"};
    bool running_ = false;
    int rebuilds_ = 0;
};

TEST_F(AsioCommand, RefusedWhileAnyButtonRuns) {
    running_ = true;
    RunCommand();
    ASSERT_EQ(messages_.shown().size(), 1u);
    EXPECT_EQ(messages_.shown()[0].text, "All buttons must be stopped \nto set ASIO.");
    EXPECT_EQ(messages_.shown()[0].flags, mb::kOk | mb::kIconInformation);
    EXPECT_EQ(messages_.shown()[0].placement.kind, BoxPlacement::Kind::kAtPointer);
    EXPECT_EQ(dialog_.runs, 0);
}

TEST_F(AsioCommand, ANewChoiceIsStoredAndTheOutputsRebuilt) {
    const struct {
        uint32_t stored;
        bool ok;
        int choose;
        uint32_t after;
        int rebuilds;
    } cases[] = {
        {0, true, 2, 2, 1},   // a driver chosen
        {2, true, 0, 0, 1},   // "Do not use ASIO"
        {1, true, 1, 1, 0},   // unchanged
        {1, false, 2, 1, 0},  // cancelled
        {1, true, -1, 1, 1},  // nothing selected: kept, but rebuilt
    };
    for (const auto& c : cases) {
        WriteAsioIndex(registry_, c.stored);
        rebuilds_ = 0;
        int offered = -2;
        dialog_.script = [&](ListSelectionModel& model) {
            offered = model.Selected();
            model.Select(c.choose);
            return c.ok;
        };
        RunCommand();
        EXPECT_EQ(offered, static_cast<int>(c.stored));
        EXPECT_EQ(ReadAsioIndex(registry_), c.after) << c.choose;
        EXPECT_EQ(rebuilds_, c.rebuilds) << c.choose;
    }
    EXPECT_TRUE(messages_.shown().empty());
}

TEST_F(AsioCommand, TheControlPanelNeedsADriver) {
    PressControlPanel(0, false);
    ASSERT_EQ(messages_.shown().size(), 1u);
    EXPECT_EQ(messages_.shown()[0].text,
              "An ASIO driver must be selected\nand the device must be running.");
    EXPECT_EQ(messages_.shown()[0].flags, mb::kOk | mb::kIconStop);
    EXPECT_TRUE(files_.requests.empty());
}

TEST_F(AsioCommand, TheControlPanelIsAskedForStoredStartedOnceAndStartedAgainWhenItEnded) {
    const std::string panel = PanelScript();
    files_.Answer(panel);
    PressControlPanel(1, false);
    ASSERT_EQ(files_.requests.size(), 1u);
    EXPECT_EQ(files_.requests[0].title, "Assign an ASIO control panel.");
    std::string stored;
    EXPECT_TRUE(registry_.GetString(
        settings::ControlPanelProgram("system (JACK Audio Connection Kit)"), stored));
    EXPECT_EQ(stored, panel);
    ASSERT_EQ(Started(1).size(), 1u);

    PressControlPanel(1, false);
    QThread::msleep(200);
    ASSERT_EQ(Started(1).size(), 1u) << "still running: left alone";

    ::kill(static_cast<pid_t>(Started(1)[0]), SIGKILL);
    QThread::msleep(100);
    PressControlPanel(1, false);
    EXPECT_EQ(Started(2).size(), 2u) << "ended: started again from the stored path";
    EXPECT_EQ(files_.requests.size(), 1u);
    EXPECT_TRUE(messages_.shown().empty());
}

TEST_F(AsioCommand, ARightClickAsksAgainAndCancelStoresNothingToStart) {
    registry_.SetString(settings::ControlPanelProgram("hw:0 (ALSA)"), PanelScript());
    files_.Cancel();
    PressControlPanel(2, true);
    ASSERT_EQ(files_.requests.size(), 1u);
    std::string stored = "unchanged";
    EXPECT_FALSE(registry_.GetString(settings::ControlPanelProgram("hw:0 (ALSA)"), stored))
        << "an empty path is stored";
    QThread::msleep(200);
    EXPECT_TRUE(Started(0).empty());
    EXPECT_TRUE(messages_.shown().empty());
}

TEST_F(AsioCommand, AProgramThatWillNotStartIsReported) {
    const std::string notProgram = dir_.Write("readme.txt", "not a program");
    registry_.SetString(settings::ControlPanelProgram("hw:0 (ALSA)"), notProgram);
    PressControlPanel(2, false);
    ASSERT_EQ(messages_.shown().size(), 1u);
    EXPECT_FALSE(messages_.shown()[0].text.empty());
    EXPECT_EQ(messages_.shown()[0].flags, mb::kOk | mb::kIconStop);
}

}  // namespace
}  // namespace tamberline::testing

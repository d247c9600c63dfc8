#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/file_dialog.h"
#include "session/button_record.h"
#include "session/registry.h"
#include "session/session.h"
#include "session/session_file.h"
#include "session/session_host.h"
#include "support/scripted_file_dialog.h"
#include "support/scripted_message_box.h"
#include "support/temp_dir.h"

namespace tamberline::testing {

// Records what the session asks of the rest of the program.
class RecordingHost : public NullSessionHost {
public:
    void StopAll() override { ++stopAllCalls; }
    void StopButton(int button) override { stopped.push_back(button); }
    bool IsPlayingOrPaused(int button) const override {
        return button >= 0 && button < kButtonCount && playing[static_cast<size_t>(button)];
    }
    void MarkForReload(int button) override { reloaded.push_back(button); }
    void RepaintButton(int button) override { repainted.push_back(button); }
    void SetModified(bool on) override { modified = on; }
    void RebuildTimecodeTable() override { ++timecodeRebuilds; }
    void RunSampleCheck() override { ++sampleChecks; }
    bool IsModalDialogOpen() const override { return modalOpen; }
    bool IsLinkedMaster() const override { return master; }
    bool IsLinkedSlave() const override { return slave; }
    void TellLinkSessionChanged() override { ++linkTold; }
    std::string LocalPathOfOwnShare(const std::string& path) override {
        return shareMap ? shareMap(path) : path;
    }

    std::array<bool, kButtonCount> playing{};
    std::vector<int> stopped, reloaded, repainted;
    int stopAllCalls = 0, timecodeRebuilds = 0, sampleChecks = 0, linkTold = 0;
    bool modified = false, master = false, slave = false, modalOpen = false;
    std::function<std::string(const std::string&)> shareMap;
};

// A record of an assigned button.
inline ButtonRecord Assigned(const std::string& path, const std::string& caption = "cue") {
    ButtonRecord r{};
    SetPath(r, path);
    SetCaption(r, caption);
    r.status = STATUS_ASSIGNED;
    r.volume = 100;
    r.pan = 100;
    r.varispeed = 100;
    r.colour = 0x00FF00;
    return r;
}

// Runs the event loop until `done` holds or `ms` pass.
inline bool SpinUntil(const std::function<bool()>& done, int ms = 2000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > ms) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

inline void SpinFor(int ms) {
    SpinUntil([] { return false; }, ms);
}

// A session on a fresh folder, with scripted operator and file dialog.
class SessionTest : public ::testing::Test {
protected:
    SessionTest() { session_ = MakeSession(); }

    std::unique_ptr<Session> MakeSession() {
        return std::make_unique<Session>(
            SessionServices{box_, dialog_, registry_, host_, dir_.File("Documents")});
    }

    // Writes a session file of these records and returns its path.
    std::string WriteFile(const std::string& name, const RecordArray& records) {
        const std::string path = dir_.File(name);
        EXPECT_EQ(WriteSessionFile(path, records), 0);
        return path;
    }

    // A session file whose button `button` plays `sample`.
    std::string WriteFileWith(const std::string& name, int button, const std::string& sample) {
        auto records = std::make_unique<RecordArray>();
        (*records)[static_cast<size_t>(button)] = Assigned(sample);
        return WriteFile(name, *records);
    }

    std::unique_ptr<RecordArray> ReadFile(const std::string& path) {
        auto records = std::make_unique<RecordArray>();
        FileStamp stamp;
        int error = 0;
        EXPECT_EQ(ReadSessionFile(path, *records, stamp, error), SessionReadResult::kOk) << path;
        return records;
    }

    // One kept edit: the caption of `button` changes to `caption`.
    void EditCaption(int button, const std::string& caption) {
        session_->BeginChange();
        session_->AppendUndoEntry(button);
        ButtonRecord& r = session_->Record(button);
        if (!IsAssigned(r)) {
            r = Assigned("/samples/x.wav");
        }
        SetCaption(r, caption);
        session_->EndChange(false);
    }

    TempDir dir_;
    Registry registry_{QString::fromStdString(dir_.File("Tamberline.conf"))};
    ScriptedMessageBox box_;
    ScriptedFileDialog dialog_;
    RecordingHost host_;
    std::unique_ptr<Session> session_;
};

}  // namespace tamberline::testing

#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "playback/button_runner.h"
#include "playback/control_thread.h"
#include "session/run_log.h"
#include "sound/sound_test_support.h"
#include "support/scripted_message_box.h"

namespace tamberline::testing {

// Stands in for the console: answers questions at once from a script and
// keeps what run control reported.
class RecordingHost final : public RunHost {
public:
    void RecordChanged(int button, const ButtonRecord& record, uint32_t version) override {
        changed.push_back({button, record, version});
    }
    void AskAboutFailedStart(int button, const std::string& path, int code) override {
        asked.push_back({button, path, code});
        AskAboutFailedStart(box, path, code);
    }
    void ShowSonglistWarning() override { ++songlistWarnings; }
    void ReportPlayError(int button, const std::string& path) override {
        playErrors.emplace_back(button, path);
    }
    using RunHost::AskAboutFailedStart;
    static FailedStartAnswer AskAboutFailedStart(MessageBox& box, const std::string& path,
                                                 int code) {
        return tamberline::AskAboutFailedStart(box, path, code);
    }

    struct Changed {
        int button;
        ButtonRecord record;
        uint32_t version;
    };
    struct Asked {
        int button;
        std::string path;
        int code;
    };
    std::vector<Changed> changed;
    std::vector<Asked> asked;
    int songlistWarnings = 0;
    std::vector<std::pair<int, std::string>> playErrors;
    ScriptedMessageBox box;
};

// Run control on the offline engine, with the four engine pairs as outputs
// 0..3. Operations are called on the test's thread; start passes run on the
// control thread, so tests that request starts wait with Drain().
class RunFixture : public OfflineSound {
protected:
    void SetUp() override;
    void TearDown() override;
    // Replaces the runner with one on other services, on the engine pairs.
    void UseRunner(const RunServices& services);

    // An assigned record for `path` on engine pair `output`.
    static ButtonRecord Record(const std::string& path, int output = 0);
    void Load(int button, const ButtonRecord& record) { runner_->LoadRecord(button, record); }
    // A mono 16-bit file of marker samples at 48 kHz.
    std::string MonoFile(const std::string& name, int64_t frames);
    // Renders `ms` of output in 100 ms steps, running the tick as the
    // program does; returns speaker 0.
    std::vector<float> Play(int ms);
    float Volume(int button);
    std::string LogText() const;

    RecordingHost host_;
    MidiOutQueue midi_;
    std::unique_ptr<RunLog> log_;
    std::unique_ptr<ControlThread> control_;
    std::unique_ptr<ButtonRunner> runner_;
};

}  // namespace tamberline::testing

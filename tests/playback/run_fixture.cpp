#include "run_fixture.h"

#include <sndfile.h>

#include <fstream>
#include <sstream>

#include "playback/graph/output_list.h"
#include "playback/sound/media_length.h"
#include "playback/sound/sound_system.h"

namespace tamberline::testing {

void RunFixture::SetUp() {
    OfflineSound::SetUp();
    log_ = std::make_unique<RunLog>(dir_.Path() + "/Documents");
    control_ = std::make_unique<ControlThread>();
    RunServices services;
    services.host = &host_;
    services.runLog = log_.get();
    services.midiOut = &midi_;
    services.mediaLength = AudioEngineMediaLength;
    UseRunner(services);
}

void RunFixture::UseRunner(const RunServices& services) {
    runner_ = std::make_unique<ButtonRunner>(*control_, services);
    OutputTable table;
    for (int pair = 0; pair < 4; ++pair) {
        const std::string name =
            "ASIO " + std::to_string(2 * pair + 1) + "+" + std::to_string(2 * pair + 2);
        table.entries.push_back({name, name, true});
    }
    OutputList list;
    list.Fill(table);
    runner_->SetOutputs(table, list);
    runner_->SetEngine(&system_);
}

void RunFixture::TearDown() {
    control_->Drain();
    control_->Stop();
    runner_.reset();
}

ButtonRecord RunFixture::Record(const std::string& path, int output) {
    ButtonRecord record{};
    SetPath(record, path);
    SetCaption(record, "Cap");
    record.status = STATUS_ASSIGNED;
    record.volume = 100;
    record.pan = 100;
    record.varispeed = 100;
    record.output = static_cast<uint8_t>(output);
    return record;
}

std::string RunFixture::MonoFile(const std::string& name, int64_t frames) {
    return WriteMarkerFile(dir_, name, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 48000, frames);
}

std::vector<float> RunFixture::Play(int ms) {
    std::vector<float> out;
    for (int done = 0; done < ms; done += 100) {
        const std::vector<float> block = Speaker(Render(4800), 0);
        out.insert(out.end(), block.begin(), block.end());
        for (int t = 0; t < 10; ++t) {
            runner_->RunFades(10);
        }
        runner_->RunClocks(100);
    }
    return out;
}

float RunFixture::Volume(int button) {
    float volume = -1.0f;
    system_.GetVolume(runner_->State(button).channel, volume);
    return volume;
}

std::string RunFixture::LogText() const {
    std::ifstream in(log_->Path(), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace tamberline::testing

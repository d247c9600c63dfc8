#include "midi_on_jack.h"

#include <sndfile.h>
#include <unistd.h>

#include <cmath>

#include <thread>

#include "playback/graph/output_list.h"
#include "triggers/midi/midi_device_list.h"

namespace tamberline::testing {

class MidiOnJack::Host final : public RunHost {
public:
    void RecordChanged(int, const ButtonRecord&, uint32_t) override {}
    void AskAboutFailedStart(int, const std::string&, int) override {}
    void ShowSonglistWarning() override {}
};

MidiOnJack::MidiOnJack(const std::string& registryFile, MessageBox& box)
    : id_(std::to_string(::getpid())),
      registry_(QString::fromStdString(registryFile)),
      box_(box),
      host_(std::make_unique<Host>()),
      peer_("midi-peer-" + id_) {}

MidiOnJack::~MidiOnJack() {
    ports_.reset();
    if (run_) {
        run_->Shutdown();
    }
}

bool MidiOnJack::Start(std::string& why) {
    if (!recorder_.Open() || !peer_.Open()) {
        why = "no JACK server";
        return false;
    }
    if (!StartEngineOnJack(system_, recorder_, "tamberline-midi-" + id_)) {
        why = "the engine did not start on JACK";
        return false;
    }
    RunServices services;
    services.host = host_.get();
    services.midiOut = &out_;
    run_ = std::make_unique<RunController>(services);
    run_->SetEngine(&system_);
    OutputTable table;
    for (int pair = 0; pair < 4; ++pair) {
        const std::string name =
            "ASIO " + std::to_string(2 * pair + 1) + "+" + std::to_string(2 * pair + 2);
        table.entries.push_back({name, name, true});
    }
    OutputList list;
    list.Fill(table);
    run_->SetOutputs(table, list);
    run_->StartTicking();

    driver_ = std::make_unique<RtMidiDriver>("tamberline-" + id_);
    if (driver_->api() != RtMidi::UNIX_JACK) {
        why = "RtMidi chose " + RtMidi::getApiName(driver_->api()) + ", not JACK";
        return false;
    }
    target_ = std::make_unique<MidiRunTarget>(*run_);
    ports_ = std::make_unique<MidiPorts>(
        MidiPorts::Services{registry_, box_, *driver_, clock_, out_, *target_, timecode_, ltc_,
                            [this](int field, const std::string& text) {
                                std::lock_guard<std::mutex> lock(statusLock_);
                                status_.push_back({field, text});
                            },
                            [] { return false; }, [] { return 0; }});
    ChooseOnlyThePeer();
    return true;
}

// Other programs' ports on the shared server stay out of the test.
void MidiOnJack::ChooseOnlyThePeer() {
    for (const MidiDevice& device : ListMidiDevices(driver_->InputNames())) {
        registry_.SetDword(settings::MidiInPort(device.name),
                           device.portName == peer_.SourcePort() ? 9 : 0);
    }
    for (const MidiDevice& device : ListMidiDevices(driver_->OutputNames())) {
        registry_.SetDword(settings::MidiOutPort(device.name),
                           device.portName == peer_.SinkPort() ? 9 : 0);
    }
}

bool MidiOnJack::OpenMidi() {
    if (!ports_->Open()) {
        return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(MidiInputQueue::kSettleMs + 100));
    ports_->SetStartupComplete();
    return true;
}

ButtonRecord MidiOnJack::Button(const std::string& path, int note, int channel) const {
    ButtonRecord record{};
    SetPath(record, path);
    record.status = STATUS_ASSIGNED;
    record.volume = 100;
    record.pan = 100;
    record.varispeed = 100;
    record.midiNote = static_cast<uint8_t>(note);
    record.midiChannel = static_cast<uint8_t>(channel);
    return record;
}

std::string MidiOnJack::WriteTone(const std::string& folder, double seconds) {
    const std::string path = folder + "/tone.wav";
    SF_INFO info{};
    info.channels = 2;
    info.samplerate = 48000;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) {
        return {};
    }
    const auto frames = static_cast<sf_count_t>(seconds * 48000);
    std::vector<float> data(static_cast<size_t>(2 * frames));
    for (sf_count_t i = 0; i < frames; ++i) {
        const float v = 0.25f * static_cast<float>(std::cos(2.0 * M_PI * 440.0 * i / 48000));
        data[static_cast<size_t>(2 * i)] = v;
        data[static_cast<size_t>(2 * i + 1)] = v;
    }
    sf_writef_float(file, data.data(), frames);
    sf_close(file);
    return path;
}

std::vector<std::string> MidiOnJack::Status(int field) {
    std::lock_guard<std::mutex> lock(statusLock_);
    std::vector<std::string> texts;
    for (const auto& [f, text] : status_) {
        if (f == field) {
            texts.push_back(text);
        }
    }
    return texts;
}

}  // namespace tamberline::testing

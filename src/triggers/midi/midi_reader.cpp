#include "triggers/midi/midi_reader.h"

#include "triggers/ltc_presence.h"
#include "triggers/midi/midi_input_queue.h"
#include "triggers/midi/midi_message.h"
#include "triggers/midi/mtc_decoder.h"

namespace tamberline {

namespace {
constexpr uint32_t kCheckMs = 500;
constexpr int kMidiStatusField = 17;
}  // namespace

MidiReader::MidiReader(const Services& services) : services_(services) {}

void MidiReader::Start(std::vector<MidiInputQueue*> inputs) {
    Stop();
    Attach(std::move(inputs));
    stop_.store(false);
    thread_ = std::thread([this] { Run(); });
}

void MidiReader::Attach(std::vector<MidiInputQueue*> inputs) {
    inputs_ = std::move(inputs);
    refusedShown_ = 0;
}

void MidiReader::Stop() {
    if (!thread_.joinable()) {
        return;
    }
    stop_.store(true);
    wake_.Signal();
    thread_.join();
}

void MidiReader::Run() {
    uint32_t lastCheck = services_.clock.TickCount();
    while (!stop_.load()) {
        wake_.WaitFor(std::chrono::milliseconds(kCheckMs));
        Drain();
        const uint32_t now = services_.clock.TickCount();
        if (now - lastCheck >= kCheckMs) {
            lastCheck = now;
            Checks();
        }
    }
}

void MidiReader::Drain() {
    for (MidiInputQueue* input : inputs_) {
        uint32_t message = 0;
        while (!stop_.load(std::memory_order_relaxed) && input->Pop(message)) {
            if (startupComplete_.load(std::memory_order_relaxed)) {
                Take(message);
            }
        }
    }
}

void MidiReader::Take(uint32_t message) {
    if (StatusOf(message) == kQuarterFrame && !services_.ltc.present().load()) {
        quarterFrames_.fetch_add(1, std::memory_order_relaxed);
        services_.mtc.QuarterFrame(Data1Of(message));
        return;
    }
    const MidiAction action = DecodeMidiMessage(message);
    if (action.kind == MidiAction::Kind::kNone) {
        return;
    }
    services_.status(kMidiStatusField, MidiStatusText(action));
    services_.target.Act(action);
}

void MidiReader::Checks() {
    services_.mtc.LossCheck();
    services_.ltc.LossCheck();
    uint64_t refused = 0;
    for (const MidiInputQueue* input : inputs_) {
        refused += input->refused();
    }
    if (refused != refusedShown_) {
        refusedShown_ = refused;
        services_.status(kMidiStatusField,
                         " Last midi :  " + std::to_string(refused) + " messages lost ");
    }
    if (services_.watch) {
        const std::string gone = services_.watch();
        if (!gone.empty()) {
            services_.status(kMidiStatusField, gone);
        }
    }
}

}  // namespace tamberline

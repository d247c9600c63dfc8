#include "triggers/midi/midi_out_sender.h"

#include "triggers/midi/midi_message.h"

namespace tamberline {

namespace {
constexpr auto kIdleWait = std::chrono::milliseconds(500);
}

MidiOutSender::MidiOutSender(MidiOutQueue& queue, std::function<bool()> linkedMaster)
    : queue_(queue), linkedMaster_(std::move(linkedMaster)) {}

void MidiOutSender::Start(std::vector<MidiOutputPort*> outputs) {
    Stop();
    outputs_ = std::move(outputs);
    run_.store(true);
    thread_ = std::thread([this] { Run(); });
}

void MidiOutSender::Stop() {
    if (!thread_.joinable()) {
        return;
    }
    run_.store(false);
    queue_.Interrupt();
    thread_.join();
}

void MidiOutSender::Run() {
    while (run_.load()) {
        queue_.Wait(kIdleWait);
        uint32_t message = 0;
        while (run_.load() && queue_.Pop(message)) {
            if (!linkedMaster_ || !linkedMaster_()) {
                Send(message);
            }
        }
    }
}

void MidiOutSender::Send(uint32_t message) {
    const uint8_t bytes[3] = {StatusOf(message), Data1Of(message), Data2Of(message)};
    const size_t size = 1 + static_cast<size_t>(DataBytesOf(bytes[0]));
    for (MidiOutputPort* output : outputs_) {
        if (!output->Send(bytes, size)) {
            failed_.fetch_add(1, std::memory_order_relaxed);
        }
    }
}

}  // namespace tamberline

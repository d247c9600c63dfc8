#pragma once

#include <QThread>
#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "triggers/pbus/pbus_protocol.h"
#include "triggers/pbus/pbus_setup.h"

namespace tamberline {

// The serial line of the P-Bus on a thread of its own: it opens the port,
// assembles lines, parses them and hands their effects on. Waits are timed,
// so a pulled adapter or a stop request is noticed within a few tens of
// milliseconds; every reply is written from its own buffer, and replies the
// line cannot take within a second (XOFF held) are dropped rather than
// piling up.
class PbusReader {
public:
    struct Handlers {
        // Reader thread; the line's status text, reply already written.
        std::function<void(const PbusEffects& effects)> effects;
        // Reader thread: the open port failed; the reader has ended.
        std::function<void()> lost;
    };

    explicit PbusReader(Handlers handlers);
    ~PbusReader();
    PbusReader(const PbusReader&) = delete;
    PbusReader& operator=(const PbusReader&) = delete;

    // Opens the port with the setup's line settings and starts reading; false
    // when it cannot be opened or set up. `parser` outlives the reader.
    bool Start(const PbusSetup& setup, PbusParser& parser);
    // Ends the thread and closes the port; returns within a read period.
    void Stop();
    bool running() const { return thread_ != nullptr; }

private:
    void Run(PbusSetup setup, PbusParser* parser, std::shared_ptr<std::atomic<int>> opened);

    Handlers handlers_;
    std::atomic<bool> stop_{false};
    std::unique_ptr<QThread> thread_;
};

}  // namespace tamberline

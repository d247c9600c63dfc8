#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>

#include "triggers/pbus/pbus_protocol.h"
#include "triggers/pbus/pbus_reader.h"
#include "triggers/pbus/pbus_setup.h"

namespace tamberline {

class MessageBox;
class Registry;

// What a P-Bus line does to the buttons. Reader thread; must not wait.
class PbusTarget {
public:
    virtual ~PbusTarget() = default;
    virtual void Act(const std::vector<PbusEffects::Action>& actions) = 0;
};

// The P-Bus as one trigger port: its opening ("On", start-up) with the
// checks and messages of the setup, its closing, and the reader. Open,
// Close and the setup run on the GUI thread. Made on the GUI thread.
class PbusPort {
public:
    struct Services {
        Registry& registry;
        MessageBox& box;
        PbusTarget& target;
        // Any thread, never waits.
        std::function<void(int field, const std::string& text)> status;
        // GUI thread: the "P-Bus Setup." dialog; 1 when applied.
        std::function<int()> setupDialog;
        // GUI thread: the open port failed; switch the P-Bus off.
        std::function<void()> lost;
        // The serial ports that open now, given the stored port
        // (OpenablePbusPorts).
        std::function<std::vector<std::string>(const std::string& stored)> openablePorts;
    };

    explicit PbusPort(Services services);
    ~PbusPort();
    PbusPort(const PbusPort&) = delete;
    PbusPort& operator=(const PbusPort&) = delete;

    // EnablePbus's checks and opening; false (message shown) leaves it off.
    bool Open();
    void Close();
    bool IsOpen() const { return reader_.running(); }
    // Whether some serial port can be opened now (or ours is open).
    bool PortsExist() const;
    // The setup menu item's check: false, with the message, when no port
    // exists.
    bool SetupPossible();
    // The "P-Bus Setup." dialog; 1 when applied.
    int RunSetup() { return services_.setupDialog ? services_.setupDialog() : 0; }

    const PbusParser& parser() const { return parser_; }

private:
    void Lost();

    Services services_;
    PbusParser parser_;
    PbusReader reader_;
    std::string openPort_;
    QObject gui_;
};

}  // namespace tamberline

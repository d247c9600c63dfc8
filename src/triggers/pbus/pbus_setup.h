#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "triggers/pbus/pbus_protocol.h"

namespace tamberline {

class Registry;

inline constexpr int kPbusRates[] = {9600, 19200, 38400, 56000, 57600, 115200};
inline constexpr int kPbusRateCount = 6;
inline constexpr uint32_t kPbusDefaultRate = 2;
enum class PbusParity { kNone = 0, kOdd = 1, kEven = 2 };

// The stored P-Bus setup, as the registry holds it (indexes unchecked).
struct PbusSetup {
    std::string port;
    uint32_t rate = kPbusDefaultRate;
    uint32_t parity = 0;
    PbusConfig config;
};

PbusSetup ReadPbusSetup(const Registry& registry);
void WritePbusSetup(Registry& registry, const PbusSetup& setup);

// Bits per second; an index outside the list means 38400.
int PbusBaudRate(uint32_t rateIndex);
// As the port is opened: a value outside 0..2 means even parity.
PbusParity PbusPortParity(uint32_t parity);

// How the failure message names a port: the number of a "COM%d" name, else
// the name itself.
std::string PbusPortLabel(const std::string& port);
std::string PbusConnectFailedText(const std::string& port);

// The serial ports to offer: the system's (ttyS*, ttyUSB*, ttyACM*), then
// `typed` when it is a path of its own; each once.
std::vector<std::string> PbusPortCandidates(const std::string& typed);
// Whether the port can be opened for reading and writing now; it is closed
// again at once.
bool PbusPortOpens(const std::string& port);
// The candidates that open now.
std::vector<std::string> OpenablePbusPorts(const std::string& typed);

}  // namespace tamberline

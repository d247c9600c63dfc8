#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tamberline {

inline constexpr int kPbusAddresses = 4;  // A, B, C, D
inline constexpr int kPbusBusAddresses = 24;
inline constexpr size_t kPbusLineLimit = 1024;
inline constexpr size_t kPbusLineCut = 12;
inline constexpr char kPbusXon = 0x11;
inline constexpr char kPbusXoff = 0x13;

// What the line protocol needs of the setup.
struct PbusConfig {
    uint32_t playMask = 1;
    uint32_t stopMask = 2;
    // 0 = not used; n = 1..24 = bus address n - 1.
    std::array<uint32_t, kPbusAddresses> addresses{1, 2, 3, 4};
};

// Bit n - 1 for each address value n in 1..24.
uint32_t PbusAddressMask(const std::array<uint32_t, kPbusAddresses>& addresses);

// The first and last register an address answers to and the button index of
// its first register: A registers 0..99 are buttons 1..100, B and C the next
// hundreds, D registers 0..35 the last 36 buttons. A register outside its
// address's range selects nothing, as the setup dialog says.
struct PbusRegisterRange {
    int lastRegister;
    int firstButton;
};
PbusRegisterRange PbusRangeOf(int address);

// Collects bytes into carriage-return-ended lines. Flow-control bytes are
// never part of a line. A line that outgrows the limit is dropped whole,
// up to its carriage return, so that the tail of a flood is never taken for
// a command.
class PbusLineAssembler {
public:
    using LineFn = std::function<void(const std::string& line)>;

    void Feed(const char* bytes, size_t count, const LineFn& line);
    size_t pending() const { return line_.size(); }

private:
    std::string line_;
    bool dropping_ = false;
};

// One P-Bus line's effects, in the order they are to happen.
struct PbusEffects {
    struct Action {
        int button = 0;
        bool start = false;  // else a release
        bool operator==(const Action&) const = default;
    };
    bool shown = false;      // the status field shows `statusText`
    std::string statusText;  // " Last PBus :  " + the line as understood
    std::string reply;       // empty when none is due
    std::vector<Action> actions;
};

// The line parser with the buttons each address has selected (none at
// first; kept while the port is switched off and on).
class PbusParser {
public:
    PbusEffects Parse(const std::string& line, const PbusConfig& config);
    int SelectedButton(int address) const { return selected_[static_cast<size_t>(address)]; }

private:
    std::array<int, kPbusAddresses> selected_{-1, -1, -1, -1};
};

}  // namespace tamberline

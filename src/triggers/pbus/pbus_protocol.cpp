#include "triggers/pbus/pbus_protocol.h"

namespace tamberline {

namespace {

constexpr int kButtons = 336;
constexpr const char* kStatusPrefix = " Last PBus :  ";
constexpr const char* kReplyPrefix = "Tamberline ";

// Any character but a hex digit counts as 0; the line is upper-case here.
uint32_t HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return static_cast<uint32_t>(c - '0');
    }
    if (c >= 'A' && c <= 'F') {
        return static_cast<uint32_t>(c - 'A' + 10);
    }
    return 0;
}

uint32_t Hex(const std::string& line, size_t from, size_t count) {
    uint32_t value = 0;
    for (size_t k = from; k < from + count; ++k) {
        value = value * 16 + HexDigit(line[k]);
    }
    return value;
}

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool UsedAddress(uint32_t value) {
    return value >= 1 && value <= kPbusBusAddresses;
}

}  // namespace

uint32_t PbusAddressMask(const std::array<uint32_t, kPbusAddresses>& addresses) {
    uint32_t mask = 0;
    for (uint32_t value : addresses) {
        if (UsedAddress(value)) {
            mask |= 1u << (value - 1);
        }
    }
    return mask;
}

PbusRegisterRange PbusRangeOf(int address) {
    static constexpr PbusRegisterRange kRanges[kPbusAddresses] = {
        {99, 0}, {99, 100}, {99, 200}, {35, 300}};
    return kRanges[address];
}

void PbusLineAssembler::Feed(const char* bytes, size_t count, const LineFn& line) {
    for (size_t k = 0; k < count; ++k) {
        const char c = bytes[k];
        if (c == kPbusXon || c == kPbusXoff) {
            continue;
        }
        if (c == '\r') {
            if (!dropping_) {
                line(line_);
            }
            line_.clear();
            dropping_ = false;
            continue;
        }
        if (dropping_) {
            continue;
        }
        if (line_.size() >= kPbusLineLimit) {
            line_.clear();
            dropping_ = true;
            continue;
        }
        line_.push_back(c);
    }
}

PbusEffects PbusParser::Parse(const std::string& received, const PbusConfig& config) {
    PbusEffects effects;
    if (received.empty()) {
        return effects;
    }
    std::string line = received.substr(0, kPbusLineCut);
    for (char& c : line) {
        c = Upper(c);
    }
    effects.shown = true;
    effects.statusText = kStatusPrefix + line;

    if (line[0] == 'Q') {
        if (line.size() < 3) {
            return effects;
        }
        const uint32_t queried = Hex(line, 1, 2);
        std::string letters;
        for (int a = 0; a < kPbusAddresses; ++a) {
            const uint32_t value = config.addresses[static_cast<size_t>(a)];
            if (UsedAddress(value) && value == queried + 1) {
                letters.push_back(static_cast<char>('A' + a));
            }
        }
        if (!letters.empty()) {
            effects.reply = kReplyPrefix + letters + "\r";
        }
        return effects;
    }

    if (line.size() < 7) {
        return effects;
    }
    const uint32_t mask = Hex(line, 1, 6);
    if ((mask & PbusAddressMask(config.addresses)) == 0) {
        return effects;
    }
    auto addressed = [&](int a) {
        const uint32_t value = config.addresses[static_cast<size_t>(a)];
        return UsedAddress(value) && (mask & (1u << (value - 1))) != 0;
    };

    if (line[0] == 'R') {
        if (line.size() < 10) {
            return effects;
        }
        const int reg = static_cast<int>(Hex(line, 7, 3));
        for (int a = 0; a < kPbusAddresses; ++a) {
            if (addressed(a)) {
                const PbusRegisterRange range = PbusRangeOf(a);
                selected_[static_cast<size_t>(a)] =
                    reg <= range.lastRegister ? range.firstButton + reg : -1;
            }
        }
    } else if (line[0] == 'T') {
        if (line.size() < 8) {
            return effects;
        }
        const uint32_t code = Hex(line, 7, 1);
        const bool play = (config.playMask >> code) & 1u;
        const bool stop = (config.stopMask >> code) & 1u;
        for (int a = 0; a < kPbusAddresses; ++a) {
            const int button = selected_[static_cast<size_t>(a)];
            if (!addressed(a) || button < 0 || button >= kButtons) {
                continue;
            }
            if (play) {
                effects.actions.push_back({button, true});
            }
            if (stop) {
                effects.actions.push_back({button, false});
            }
        }
    }
    return effects;
}

}  // namespace tamberline

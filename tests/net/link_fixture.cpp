#include "net/link_fixture.h"

namespace tamberline::testing {

std::vector<int> Wire::CodesFrom(const std::string& from) const {
    std::vector<int> codes;
    for (const Packet& packet : sent) {
        if (packet.from == from && packet.bytes.size() >= 2) {
            codes.push_back(static_cast<uint8_t>(packet.bytes[1] - ScrambleKey(from)));
        }
    }
    return codes;
}

std::vector<uint8_t> ScrambledBytes(std::vector<uint8_t> plain, const std::string& from) {
    Scramble(plain, ScrambleKey(from));
    return plain;
}

std::vector<uint8_t> Scrambled(const NetMessage& message, const std::string& from) {
    const Datagram d = EncodeMessage(message);
    return ScrambledBytes(std::vector<uint8_t>(d.view().begin(), d.view().end()), from);
}

}  // namespace tamberline::testing

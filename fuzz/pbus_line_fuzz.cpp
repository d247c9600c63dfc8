// The P-Bus line: any bytes, in any pieces, through the line assembly and
// the parser, with a setup taken from the first bytes.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "triggers/pbus/pbus_protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 8) {
        return 0;
    }
    tamberline::PbusConfig config;
    config.playMask = static_cast<uint32_t>(data[0] | (data[1] << 8));
    config.stopMask = static_cast<uint32_t>(data[2] | (data[3] << 8));
    for (size_t a = 0; a < 4; ++a) {
        config.addresses[a] = data[4 + a] % 32;  // some of them out of range
    }
    tamberline::PbusLineAssembler assembler;
    tamberline::PbusParser parser;
    const char* bytes = reinterpret_cast<const char*>(data + 8);
    size_t left = size - 8;
    size_t piece = 1;
    while (left > 0) {
        const size_t count = piece < left ? piece : left;
        assembler.Feed(bytes, count, [&](const std::string& line) {
            if (line.size() > tamberline::kPbusLineLimit) {
                std::abort();
            }
            const tamberline::PbusEffects effects = parser.Parse(line, config);
            if (effects.reply.size() > 16 ||
                (!effects.reply.empty() && effects.reply.rfind("Tamberline ", 0) != 0) ||
                effects.statusText.size() > 14 + tamberline::kPbusLineCut) {
                std::abort();
            }
            for (const auto& action : effects.actions) {
                if (action.button < 0 || action.button > 335) {
                    std::abort();
                }
            }
        });
        if (assembler.pending() > tamberline::kPbusLineLimit) {
            std::abort();
        }
        bytes += count;
        left -= count;
        piece = piece * 3 % 97 + 1;
    }
    return 0;
}

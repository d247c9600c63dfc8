#include "triggers/midi/midi_message.h"

namespace tamberline {

int DataBytesOf(uint8_t status) {
    switch (status & 0xF0) {
        case 0x80:
        case 0x90:
        case 0xA0:
        case 0xB0:
        case 0xE0: return 2;
        case 0xC0:
        case 0xD0: return 1;
        default: break;
    }
    switch (status) {
        case 0xF1:
        case 0xF3: return 1;
        case 0xF2: return 2;
        default: return 0;
    }
}

bool KeepIncoming(uint32_t message, bool ltcLocked) {
    const uint8_t status = StatusOf(message);
    switch (status & 0xF0) {
        case 0x80:
        case 0x90:
        case 0xB0: return true;
        default: break;
    }
    if (status == kSystemReset) {
        return true;
    }
    return (status & 0xF1) == 0xF1 && !ltcLocked;
}

bool MidiByteParser::Take(uint8_t byte, uint32_t& message) {
    if (byte >= 0xF8) {
        // Real-time bytes stand alone, wherever they fall.
        message = byte;
        return true;
    }
    if (byte >= 0x80) {
        inSysEx_ = byte == 0xF0;
        have_ = 0;
        if (byte >= 0xF0) {
            // System-common messages end the running status.
            status_ = 0;
            needed_ = DataBytesOf(byte);
            if (needed_ == 0 && !inSysEx_ && byte != 0xF7) {
                message = byte;
                return true;
            }
            if (needed_ > 0) {
                status_ = byte;
            }
            return false;
        }
        status_ = byte;
        needed_ = DataBytesOf(byte);
        return false;
    }
    if (inSysEx_ || status_ == 0) {
        return false;
    }
    data_[have_++] = byte;
    if (have_ < needed_) {
        return false;
    }
    message = PackShortMessage(status_, data_[0], needed_ > 1 ? data_[1] : 0);
    have_ = 0;
    if (status_ >= 0xF0) {
        status_ = 0;  // no running status for system-common messages
    }
    return true;
}

}  // namespace tamberline

#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace tamberline {

// A capture running on its own thread; it ends when destroyed.
class CaptureStream {
public:
    virtual ~CaptureStream() = default;
};

// Where the timecode reader's audio comes from: the capture devices by
// name, and a capture of one of them in blocks of 2756 unsigned 8-bit mono
// samples at 22050 per second.
class CaptureSource {
public:
    // The capture thread: one block, and the steady milliseconds when it
    // was complete.
    using BlockFn = std::function<void(std::span<const uint8_t> block, uint32_t atMs)>;
    // The capture thread: the device stopped delivering (removed, failed).
    using LostFn = std::function<void()>;

    virtual ~CaptureSource() = default;
    // Lists the devices afresh, each name once.
    virtual std::vector<std::string> Devices() = 0;
    // Null when the device cannot be opened.
    virtual std::unique_ptr<CaptureStream> Open(const std::string& device, BlockFn block,
                                                LostFn lost) = 0;
};

}  // namespace tamberline

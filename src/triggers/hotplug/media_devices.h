#pragma once

#include <string>
#include <vector>

namespace tamberline {

// The descriptions of the sound, video and game devices present, in the
// order the system lists them; equal names stand for as many devices.
using MediaDeviceList = std::vector<std::string>;

// What arrived and what left between two lists, counted as multisets: a
// device swapped for another shows in both, and a second device of the same
// name is told apart from the first by the count. Each in the order of the
// list it comes from.
struct MediaDeviceChange {
    std::vector<std::string> added;
    std::vector<std::string> removed;
};
MediaDeviceChange CompareMediaDevices(const MediaDeviceList& kept, const MediaDeviceList& now);

class MediaDeviceSource {
public:
    virtual ~MediaDeviceSource() = default;
    // GUI thread.
    virtual MediaDeviceList List() = 0;
};

}  // namespace tamberline

#pragma once

#include <mutex>
#include <string>
#include <utility>
#include <vector>

typedef struct _GstElement GstElement;
typedef struct _GstDevice GstDevice;

namespace tamberline {

// One audio sink as the system lists it.
struct AudioSinkDevice {
    std::string friendlyName;
    bool viaSoundServer = false;  // played through the sound server's PulseAudio interface
    bool isMonitor = false;
};

// The sound cards a media graph can render to, by friendly name.
class AudioSinkCatalog {
public:
    virtual ~AudioSinkCatalog() = default;
    // Lists the sinks afresh.
    virtual std::vector<AudioSinkDevice> Enumerate() = 0;
    // A new renderer for the named sink of the last listing; null when the
    // sink is unknown.
    virtual GstElement* CreateRenderer(const std::string& friendlyName) = 0;
};

// The listed sinks that may become outputs, in the order listed: no monitors,
// no name containing "modem" (in any case), each name once. A sound server
// lists each sink through two interfaces under one name; the name stands for
// its sound-server entry.
std::vector<std::string> SelectSoundCards(const std::vector<AudioSinkDevice>& devices);

// The system's audio sinks through GStreamer's device monitor. Thread-safe.
// Made for "Audio/Source" with `monitors` it lists the capture devices,
// the monitors of sinks among them, and creates their sources.
class DeviceMonitorCatalog final : public AudioSinkCatalog {
public:
    DeviceMonitorCatalog() = default;
    DeviceMonitorCatalog(std::string deviceClass, bool monitors)
        : deviceClass_(std::move(deviceClass)), monitors_(monitors) {}
    ~DeviceMonitorCatalog() override;
    DeviceMonitorCatalog(const DeviceMonitorCatalog&) = delete;
    DeviceMonitorCatalog& operator=(const DeviceMonitorCatalog&) = delete;

    std::vector<AudioSinkDevice> Enumerate() override;
    GstElement* CreateRenderer(const std::string& friendlyName) override;

private:
    void ForgetLocked();

    std::string deviceClass_ = "Audio/Sink";
    bool monitors_ = false;
    std::mutex mutex_;
    bool listed_ = false;
    std::vector<std::pair<AudioSinkDevice, GstDevice*>> devices_;
};

}  // namespace tamberline

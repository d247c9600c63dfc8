#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "triggers/timecode/capture_source.h"
#include "triggers/timecode/ltc_reader.h"

namespace tamberline {

class LtcPresence;
class MessageBox;
class Registry;
class TimecodeEngine;

// The first device whose name begins with `name`, without regard to case;
// -1 when none does.
int FindCaptureDevice(const std::vector<std::string>& devices, const std::string& name);

// The SMPTE port: the capture device list, switching the LTC reader on and
// off, and keeping it going while devices come and go. GUI thread, but for
// what the capture thread hands the engine.
class SmpteReader {
public:
    struct Services {
        Registry& registry;
        MessageBox& box;
        CaptureSource& capture;
        TimecodeEngine& engine;
        LtcPresence& presence;
        // Any thread: writes a status field.
        std::function<void(int field, const std::string& text)> status;
    };

    explicit SmpteReader(const Services& services);
    ~SmpteReader();
    SmpteReader(const SmpteReader&) = delete;
    SmpteReader& operator=(const SmpteReader&) = delete;

    // Fills the capture device list afresh.
    void RefreshDevices();
    const std::vector<std::string>& devices() const { return devices_; }
    // The stored choice ("SMPTEin", else the first device) in the list; -1
    // when it is not there.
    int ChosenDevice() const;
    std::string ChosenName() const;

    // EnableSmpte: false (after its message) when the reader stays off.
    bool Enable();
    // DisableSmpte.
    void Disable();
    bool IsOn() const { return on_; }
    // Enable failed only because the chosen device was missing.
    bool waitsForDevice() const { return waitsForDevice_; }

    // A device came or went: the list is filled afresh and a reader that
    // is on follows its device: stopped when it went, started again when
    // it is back. True when the list changed.
    bool HardwareCheck();
    // Told after a hardware check changed the list (an open "SMPTE Source"
    // list follows it); empty to let go.
    void SetDevicesChanged(std::function<void()> changed) { devicesChanged_ = std::move(changed); }

private:
    // A reader that is on stops when its device went and starts again when
    // it is back or its capture was lost.
    void FollowDevice(bool listChanged);
    // Opens the capture of the chosen device with a fresh decoder.
    bool OpenCapture(const std::string& device);
    void CloseCapture();

    Services services_;
    std::vector<std::string> devices_;
    bool on_ = false;
    bool waitsForDevice_ = false;
    std::string device_;  // the one being read
    int ltcRate_ = 25;
    std::unique_ptr<LtcReader> ltc_;
    std::unique_ptr<CaptureStream> capture_;
    std::shared_ptr<std::atomic<bool>> lost_;
    std::function<void()> devicesChanged_;
};

}  // namespace tamberline

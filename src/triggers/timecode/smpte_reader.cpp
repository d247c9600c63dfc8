#include "triggers/timecode/smpte_reader.h"

#include <QString>

#include "base/message_box.h"
#include "session/registry.h"
#include "session/settings.h"
#include "triggers/ltc_presence.h"
#include "triggers/timecode/timecode_engine.h"

namespace tamberline {

namespace {

constexpr int kTimecodeStatusField = 15;
constexpr const char* kInputLost = " SMPTE input lost ";

}  // namespace

int FindCaptureDevice(const std::vector<std::string>& devices, const std::string& name) {
    const QString wanted = QString::fromStdString(name);
    for (size_t i = 0; i < devices.size(); ++i) {
        if (QString::fromStdString(devices[i]).startsWith(wanted, Qt::CaseInsensitive)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

SmpteReader::SmpteReader(const Services& services) : services_(services) {}

SmpteReader::~SmpteReader() {
    CloseCapture();
}

std::string SmpteReader::ChosenName() const {
    std::string name;
    services_.registry.GetString(settings::kSmpteInput, name);
    if (name.empty() && !devices_.empty()) {
        name = devices_.front();
    }
    return name;
}

int SmpteReader::ChosenDevice() const {
    return devices_.empty() ? -1 : FindCaptureDevice(devices_, ChosenName());
}

void SmpteReader::RefreshDevices() {
    devices_ = services_.capture.Devices();
}

bool SmpteReader::Enable() {
    if (on_) {
        return true;
    }
    waitsForDevice_ = false;
    if (devices_.empty()) {
        services_.box.Show("Unable to find any input devices.\nSMPTE reader is unavailable.",
                           mb::kOk);
        return false;
    }
    const std::string name = ChosenName();
    const int found = FindCaptureDevice(devices_, name);
    if (found < 0) {
        // The choice is kept: the device may be plugged in again.
        services_.box.Show(name + "\nCannot find this device.\nSMPTE reader is off.", mb::kOk);
        waitsForDevice_ = true;
        return false;
    }
    if (!OpenCapture(devices_[static_cast<size_t>(found)])) {
        services_.box.Show(name + "\nSelected input device\nis unavailable.", mb::kOk);
        return false;
    }
    on_ = true;
    return true;
}

void SmpteReader::Disable() {
    CloseCapture();
    on_ = false;
    waitsForDevice_ = false;
    services_.presence.ReaderDisabled();
}

bool SmpteReader::OpenCapture(const std::string& device) {
    CloseCapture();
    // The decoder exists before the first block can arrive.
    TimecodeEngine& engine = services_.engine;
    ltc_ = std::make_unique<LtcReader>(ltcRate_, [&engine](std::vector<LtcArrival> frames) {
        engine.LtcFrames(std::move(frames));
    });
    lost_ = std::make_shared<std::atomic<bool>>(false);
    LtcReader& ltc = *ltc_;
    auto status = services_.status;
    capture_ = services_.capture.Open(
        device, [&ltc](std::span<const uint8_t> block, uint32_t atMs) { ltc.Block(block, atMs); },
        [lost = lost_, &engine, status] {
            lost->store(true);
            engine.LtcInterrupted();
            status(kTimecodeStatusField, kInputLost);
        });
    if (!capture_) {
        ltc_.reset();
        return false;
    }
    device_ = device;
    return true;
}

void SmpteReader::CloseCapture() {
    if (!capture_) {
        return;
    }
    capture_.reset();  // ends the capture thread
    // The next start keeps the rate the signal had.
    ltcRate_ = ltc_->frameRate();
    ltc_.reset();
    services_.engine.LtcInterrupted();
}

bool SmpteReader::HardwareCheck() {
    const std::vector<std::string> before = devices_;
    RefreshDevices();
    const bool changed = before != devices_;
    FollowDevice(changed);
    if (changed && devicesChanged_) {
        devicesChanged_();
    }
    return changed;
}

void SmpteReader::FollowDevice(bool listChanged) {
    const bool lost = lost_ && lost_->load();
    if (!on_ || (!listChanged && !lost)) {
        return;
    }
    const int found = FindCaptureDevice(devices_, device_);
    const bool present = found >= 0 && devices_[static_cast<size_t>(found)] == device_;
    if (!present) {
        CloseCapture();
        services_.status(kTimecodeStatusField, kInputLost);
    } else if (lost || !capture_) {
        if (!OpenCapture(device_)) {
            services_.status(kTimecodeStatusField, kInputLost);
        }
    }
}

}  // namespace tamberline

#pragma once

#include <atomic>
#include <mutex>
#include <thread>

#include "base/clock.h"
#include "playback/graph/audio_sinks.h"
#include "triggers/timecode/capture_source.h"

typedef struct _GstElement GstElement;

namespace tamberline {

// The capture devices of GStreamer's device monitor ("Audio/Source", the
// monitors of sinks included, since timecode is often looped through a
// virtual device), captured through a pipeline that converts to unsigned
// 8-bit mono at 22050 per second into an application sink.
class GstCaptureSource final : public CaptureSource {
public:
    explicit GstCaptureSource(const Clock& clock) : clock_(clock) {}
    std::vector<std::string> Devices() override;
    std::unique_ptr<CaptureStream> Open(const std::string& device, BlockFn block,
                                        LostFn lost) override;

private:
    const Clock& clock_;
    DeviceMonitorCatalog catalog_{"Audio/Source", true};
};

// The CaptureReader thread: pulls what the sink holds, cuts it into blocks
// and hands each on; an error or the end of the stream is reported once.
class CaptureReader final : public CaptureStream {
public:
    CaptureReader(GstElement* pipeline, GstElement* sink, const Clock& clock,
                  CaptureSource::BlockFn block, CaptureSource::LostFn lost);
    ~CaptureReader() override;
    CaptureReader(const CaptureReader&) = delete;
    CaptureReader& operator=(const CaptureReader&) = delete;

private:
    void Run();
    bool Failed();

    GstElement* pipeline_;
    GstElement* sink_;
    const Clock& clock_;
    CaptureSource::BlockFn block_;
    CaptureSource::LostFn lost_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace tamberline

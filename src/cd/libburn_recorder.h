#pragma once

#include <memory>
#include <string>
#include <vector>

#include "cd/recorder.h"

namespace tamberline {

// A real recorder driven through libburn, bound to its drive address (so a
// line of the recorder list always burns on the drive it names).
class LibburnRecorder final : public Recorder {
public:
    LibburnRecorder(std::string address, std::string label);
    std::string Name() const override { return label_; }
    const std::string& address() const { return address_; }
    // Audio tracks, track at once or session at once as the drive allows,
    // with CD-TEXT titles; the tray stays locked while libburn holds the
    // drive, and the disc is ejected after burning.
    std::string Burn(const std::vector<BurnTrack>& tracks, BurnEvents& events,
                     const std::atomic<bool>& stop) override;

private:
    std::string address_;
    std::string label_;
};

// The recorders libburn finds (none where there is no drive; the scan does
// not grab them).
std::vector<std::unique_ptr<Recorder>> ScanLibburnRecorders();

}  // namespace tamberline

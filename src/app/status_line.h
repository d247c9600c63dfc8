#pragma once

#include <array>
#include <string>

#include "app/grid_geometry.h"
#include "app/run_control.h"
#include "session/button_record.h"

namespace tamberline {

using ButtonInfo = std::array<std::string, kButtonInfoFields>;

// What the pointed button's status fields 0..14 show, piece by piece in
// their fixed order; a piece that does not apply is empty.
struct ButtonInfoInput {
    int button = 0;
    const ButtonRecord* record = nullptr;
    ButtonRunView run;
    bool outputValid = true;
    bool isSonglist = false;  // the file is a songlist
};
ButtonInfo ButtonInfoPieces(const ButtonInfoInput& input);

// The played time of field 14: " m:ss " or " h:mm:ss ".
std::string PlayedTimeText(uint32_t playedMs);

// A start time (frames at 30 per second) as " hh:mm:ss:ff ".
std::string StartTimeText(uint32_t startTime);

// The cue's field 16.
std::string CueText(int button);

}  // namespace tamberline

#pragma once

namespace tamberline {

// Where a start spends its time, for the link benchmark: when the
// environment names a file (TAMBERLINE_STAGE_TRACE=<path>), each mark
// appends "<monotonic microseconds> <stage> <button>" to it. Without the
// variable a mark costs one relaxed load. Never called on the audio
// thread (it writes to a file).
void MarkStage(const char* stage, int button);

}  // namespace tamberline

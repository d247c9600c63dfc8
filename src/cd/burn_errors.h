#pragma once

#include <cstdint>
#include <string>

namespace tamberline {

// The result codes a recorder can end with, by their IMAPI numbers, so the
// operator reads the same words whatever burns the disc.
namespace imapi {
inline constexpr uint32_t kNotInitialized = 0x8004020C;
inline constexpr uint32_t kUserAbort = 0x8004020D;
inline constexpr uint32_t kDriveNotReady = 0x8004020E;
inline constexpr uint32_t kNoDisc = 0x8004020F;
inline constexpr uint32_t kMediumInvalidType = 0x80040210;
inline constexpr uint32_t kDeviceNotAccessible = 0x80040212;
inline constexpr uint32_t kFileAccess = 0x80040218;
inline constexpr uint32_t kTrackOpen = 0x8004021B;
inline constexpr uint32_t kDiscError = 0x8004021C;
inline constexpr uint32_t kWrongFormat = 0x80040221;
inline constexpr uint32_t kWrongDisc = 0x80040223;
}  // namespace imapi

// The code's text from the table of recorder results, else "0x%08X".
std::string ImapiErrorText(uint32_t code);
// What a failed burn shows: the code's text; a code the table knows only by
// its symbolic name is followed by `detail` in plain words after a blank
// line, since the name alone tells a sound engineer nothing.
std::string BurnErrorText(uint32_t code, const std::string& detail = "");

// What the disc in a recorder means for an audio CD: 0 when it can be
// written, else the code to report. `status` is libburn's burn_disc_status,
// `profile` the drive's current media profile (0 when unknown).
uint32_t DiscStatusCode(int status, int profile);
// Plain words for a disc state's code ("" when there are none to add).
std::string DiscStatusDetail(int status);

}  // namespace tamberline

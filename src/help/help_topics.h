#pragma once

#include <array>
#include <string_view>

namespace tamberline::help {

// The pages the program opens, one per caller.
inline constexpr std::string_view kGetStarted = "GetStarted.htm";  // console Help, first output
inline constexpr std::string_view kSetup = "Setup.htm";
inline constexpr std::string_view kBlockAssign = "BlockAssign.htm";
inline constexpr std::string_view kPbus = "pbus.htm";
inline constexpr std::string_view kSonglist = "Songlist.htm";
inline constexpr std::string_view kCdBurner = "playlist.htm";
inline constexpr std::string_view kCdRipper = "ripper.htm";

inline constexpr std::array kAllTopics{kGetStarted, kSetup,    kBlockAssign, kPbus,
                                       kSonglist,   kCdBurner, kCdRipper};

// The window's own files beside the pages.
inline constexpr std::string_view kHomePage = kGetStarted;
inline constexpr std::string_view kContentsFile = "contents.html";
inline constexpr std::string_view kIndexFile = "index.html";

inline constexpr const char* kWindowTitle = "Tamberline Help.";
inline constexpr const char* kHelpFileMissing =
    "Cannot find the help file.\nRe-install the software to repair.";

}  // namespace tamberline::help

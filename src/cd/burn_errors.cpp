#include "cd/burn_errors.h"

#include <libburn/libburn.h>

#include <array>
#include <cstdio>
#include <utility>

namespace tamberline {

using namespace burn;

namespace {

constexpr std::array<std::pair<uint32_t, const char*>, 38> kTexts{{
    {0x00040200, "IMAPI_S_PROPERTIESIGNORED"},
    {0x00040201, "IMAPI_S_BUFFER_TO_SMALL"},
    {0x8004020B, "IMAPI_E_NOTOPENED"},
    {0x8004020C, "IMAPI_E_NOTINITIALIZED"},
    {0x8004020D, "IMAPI_E_USERABORT"},
    {0x8004020E, "Drive not ready."},
    {0x8004020F, "No disc in drive."},
    {0x80040210, "IMAPI_E_MEDIUM_INVALIDTYPE"},
    {0x80040211, "IMAPI_E_DEVICE_NOPROPERTIES"},
    {0x80040212, "IMAPI_E_DEVICE_NOTACCESSIBLE"},
    {0x80040213, "IMAPI_E_DEVICE_NOTPRESENT"},
    {0x80040214, "IMAPI_E_DEVICE_INVALIDTYPE"},
    {0x80040215, "IMAPI_E_INITIALIZE_WRITE"},
    {0x80040216, "IMAPI_E_INITIALIZE_ENDWRITE"},
    {0x80040217, "IMAPI_E_FILESYSTEM"},
    {0x80040218, "IMAPI_E_FILEACCESS"},
    {0x80040219, "IMAPI_E_DISCINFO"},
    {0x8004021A, "IMAPI_E_TRACKNOTOPEN"},
    {0x8004021B, "IMAPI_E_TRACKOPEN"},
    {0x8004021C, "CD disc error."},
    {0x8004021D, "IMAPI_E_BADJOLIETNAME"},
    {0x8004021E, "IMAPI_E_INVALIDIMAGE"},
    {0x8004021F, "IMAPI_E_NOACTIVEFORMAT"},
    {0x80040220, "IMAPI_E_NOACTIVERECORDER"},
    {0x80040221, "IMAPI_E_WRONGFORMAT"},
    {0x80040222, "IMAPI_E_ALREADYOPEN"},
    {0x80040223, "IMAPI_E_WRONGDISC"},
    {0x80040224, "IMAPI_E_FILEEXISTS"},
    {0x80040225, "IMAPI_E_STASHINUSE"},
    {0x80040226, "IMAPI_E_DEVICE_STILL_IN_USE"},
    {0x80040227, "IMAPI_E_LOSS_OF_STREAMING"},
    {0x80040228, "IMAPI_E_COMPRESSEDSTASH"},
    {0x80040229, "IMAPI_E_ENCRYPTEDSTASH"},
    {0x8004022A, "IMAPI_E_NOTENOUGHDISKFORSTASH"},
    {0x8004022B, "IMAPI_E_REMOVABLESTASH"},
    {0x8004022C, "IMAPI_E_CANNOT_WRITE_TO_MEDIA"},
    {0x8004022D, "IMAPI_E_TRACK_NOT_BIG_ENOUGH"},
    {0x8004022E, "IMAPI_E_BOOTIMAGE_AND_NONBLANK_DISC"},
}};

// CD-R and CD-RW: the only media an audio CD can be written on.
constexpr int kProfileCdR = 0x09;
constexpr int kProfileCdRw = 0x0a;

}  // namespace

std::string ImapiErrorText(uint32_t code) {
    for (const auto& [known, text] : kTexts) {
        if (known == code) {
            return text;
        }
    }
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", code);
    return hex;
}

std::string BurnErrorText(uint32_t code, const std::string& detail) {
    std::string text = ImapiErrorText(code);
    // The plain-language texts stand alone.
    const bool symbolic = text.rfind("IMAPI_", 0) == 0 || text.rfind("0x", 0) == 0;
    if (symbolic && !detail.empty()) {
        text += "\n\n" + detail;
    }
    return text;
}

uint32_t DiscStatusCode(int status, int profile) {
    switch (status) {
        case BURN_DISC_BLANK:
            if (profile != 0 && profile != kProfileCdR && profile != kProfileCdRw) {
                return imapi::kMediumInvalidType;
            }
            return 0;
        case BURN_DISC_EMPTY: return imapi::kNoDisc;
        case BURN_DISC_UNREADY: return imapi::kDriveNotReady;
        case BURN_DISC_APPENDABLE:
        case BURN_DISC_FULL: return imapi::kWrongDisc;
        case BURN_DISC_UNGRABBED: return imapi::kDeviceNotAccessible;
        case BURN_DISC_UNSUITABLE:
        default: return imapi::kMediumInvalidType;
    }
}

std::string DiscStatusDetail(int status) {
    switch (status) {
        case BURN_DISC_APPENDABLE:
        case BURN_DISC_FULL: return "The disc in the drive is not blank.";
        case BURN_DISC_UNGRABBED: return "The drive cannot be used now.";
        case BURN_DISC_BLANK:
        case BURN_DISC_UNSUITABLE: return "An audio CD needs a blank CD-R or CD-RW.";
        default: return "";
    }
}

}  // namespace tamberline

#include "cd/burn_errors.h"

#include <gtest/gtest.h>
#include <libburn/libburn.h>

namespace tamberline {
namespace {

using namespace burn;

TEST(BurnErrors, CodesGiveTheirTextsAndUnknownOnesTheirNumber) {
    struct Case {
        uint32_t code;
        const char* text;
    };
    const Case cases[] = {
        {0x8004020E, "Drive not ready."},
        {0x8004020F, "No disc in drive."},
        {0x8004021C, "CD disc error."},
        {0x80040210, "IMAPI_E_MEDIUM_INVALIDTYPE"},
        {0x00040201, "IMAPI_S_BUFFER_TO_SMALL"},
        {0x8004022E, "IMAPI_E_BOOTIMAGE_AND_NONBLANK_DISC"},
        {0x8004022F, "0x8004022F"},
        {0x00000001, "0x00000001"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ImapiErrorText(c.code), c.text) << std::hex << c.code;
    }
}

TEST(BurnErrors, PlainTextsStandAloneSymbolicOnesGetTheDetail) {
    EXPECT_EQ(BurnErrorText(imapi::kNoDisc, "ignored"), "No disc in drive.");
    EXPECT_EQ(BurnErrorText(imapi::kDiscError, "ignored"), "CD disc error.");
    EXPECT_EQ(BurnErrorText(imapi::kWrongDisc, "The disc in the drive is not blank."),
              "IMAPI_E_WRONGDISC\n\nThe disc in the drive is not blank.");
    EXPECT_EQ(BurnErrorText(0x12345678, "Why."), "0x12345678\n\nWhy.");
    EXPECT_EQ(BurnErrorText(imapi::kWrongDisc), "IMAPI_E_WRONGDISC");
}

TEST(BurnErrors, DiscStatesMapOntoTheRecorderResults) {
    struct Case {
        burn_disc_status status;
        int profile;
        uint32_t code;
    };
    const Case cases[] = {
        {BURN_DISC_BLANK, 0x09, 0},  // CD-R
        {BURN_DISC_BLANK, 0x0a, 0},  // CD-RW
        {BURN_DISC_BLANK, 0, 0},     // profile unknown: let the drive decide
        {BURN_DISC_BLANK, 0x11, imapi::kMediumInvalidType},  // DVD-R
        {BURN_DISC_EMPTY, 0, imapi::kNoDisc},
        {BURN_DISC_UNREADY, 0x09, imapi::kDriveNotReady},
        {BURN_DISC_APPENDABLE, 0x09, imapi::kWrongDisc},
        {BURN_DISC_FULL, 0x08, imapi::kWrongDisc},
        {BURN_DISC_UNGRABBED, 0, imapi::kDeviceNotAccessible},
        {BURN_DISC_UNSUITABLE, 0, imapi::kMediumInvalidType},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DiscStatusCode(c.status, c.profile), c.code)
            << "status " << c.status << " profile " << c.profile;
    }
    EXPECT_EQ(BurnErrorText(DiscStatusCode(BURN_DISC_EMPTY, 0), DiscStatusDetail(BURN_DISC_EMPTY)),
              "No disc in drive.");
    EXPECT_EQ(BurnErrorText(DiscStatusCode(BURN_DISC_FULL, 0), DiscStatusDetail(BURN_DISC_FULL)),
              "IMAPI_E_WRONGDISC\n\nThe disc in the drive is not blank.");
}

}  // namespace
}  // namespace tamberline

#include "app/monitor_placement.h"

#include <gtest/gtest.h>

namespace tamberline {
namespace {

TEST(MonitorPlacementTest, StoredValuesReadBack) {
    const struct {
        const char* value;
        MonitorRect rect;
    } cases[] = {
        {"+0000+0000+1920+1040", {0, 0, 1920, 1040}},
        {"-1920+0000+0000+1080", {-1920, 0, 0, 1080}},
        {"+0000+0000+1920+104", {}},    // 19 characters
        {"+0000+0000+1920+10400", {}},  // 21 characters
        {"+0000+0000+19x0+1040", {}},   // not a number
        {"00000+0000+1920+1040", {}},   // no sign
        {"", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseMonitorValue(c.value), c.rect) << c.value;
    }
}

TEST(MonitorPlacementTest, WorkAreaIsStoredAsFourSignedFields) {
    EXPECT_EQ(FormatMonitorValue({0, 0, 1920, 1040}), "+0000+0000+1920+1040");
    EXPECT_EQ(FormatMonitorValue({-1280, -24, 0, 1000}), "-1280-0024+0000+1000");
}

}  // namespace
}  // namespace tamberline

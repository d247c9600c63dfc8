#include "triggers/status_relay.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <thread>

namespace tamberline {
namespace {

// A flood of texts from a port's thread reaches the GUI thread as a few
// deliveries of the latest text per field, never one event per message.
TEST(StatusRelayTest, AFloodArrivesOnTheGuiThreadAsTheLatestTextPerField) {
    std::vector<std::pair<int, std::string>> shown;
    std::thread::id shownOn;
    StatusRelay relay([&](int field, const std::string& text) {
        shown.push_back({field, text});
        shownOn = std::this_thread::get_id();
    });
    std::thread port([&] {
        for (int i = 0; i <= 10000; ++i) {
            relay.Show(17, " Last midi :  Ch1 Note" + std::to_string(i % 128) + " On ");
        }
        relay.Show(15, " 01:00:00  25fps MTC ");
    });
    port.join();
    QCoreApplication::processEvents();
    EXPECT_EQ(shown, (std::vector<std::pair<int, std::string>>{
                         {15, " 01:00:00  25fps MTC "}, {17, " Last midi :  Ch1 Note16 On "}}));
    EXPECT_EQ(shownOn, std::this_thread::get_id());
    relay.Show(17, "");
    QCoreApplication::processEvents();
    EXPECT_EQ(shown.back(), (std::pair<int, std::string>{17, ""}));
}

}  // namespace
}  // namespace tamberline

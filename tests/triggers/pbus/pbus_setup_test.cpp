#include "triggers/pbus/pbus_setup.h"

#include <gtest/gtest.h>

#include "session/registry.h"
#include "support/temp_dir.h"

namespace tamberline::testing {
namespace {

TEST(PbusSetup, StoredDefaults) {
    TempDir dir;
    Registry registry(QString::fromStdString(dir.File("Tamberline.conf")));
    const PbusSetup setup = ReadPbusSetup(registry);
    EXPECT_EQ(setup.port, "COM1");
    EXPECT_EQ(setup.rate, 2u);
    EXPECT_EQ(setup.parity, 0u);
    EXPECT_EQ(setup.config.playMask, 1u);
    EXPECT_EQ(setup.config.stopMask, 2u);
    EXPECT_EQ(setup.config.addresses, (std::array<uint32_t, 4>{1, 2, 3, 4}));
    EXPECT_EQ(PbusAddressMask(setup.config.addresses), 0xFu);
}

TEST(PbusSetup, WrittenSetupReadsBack) {
    TempDir dir;
    Registry registry(QString::fromStdString(dir.File("Tamberline.conf")));
    PbusSetup setup;
    setup.port = "/dev/ttyUSB0";
    setup.rate = 5;
    setup.parity = 1;
    setup.config.playMask = 0x8001;
    setup.config.stopMask = 0x0006;
    setup.config.addresses = {24, 0, 7, 1};
    WritePbusSetup(registry, setup);
    const PbusSetup read = ReadPbusSetup(registry);
    EXPECT_EQ(read.port, setup.port);
    EXPECT_EQ(read.rate, 5u);
    EXPECT_EQ(read.parity, 1u);
    EXPECT_EQ(read.config.playMask, 0x8001u);
    EXPECT_EQ(read.config.stopMask, 6u);
    EXPECT_EQ(read.config.addresses, setup.config.addresses);
    EXPECT_EQ(PbusAddressMask(read.config.addresses), (1u << 23) | (1u << 6) | 1u);
}

struct RateCase {
    uint32_t index;
    int rate;
};

TEST(PbusSetup, RateIndexOutsideTheListMeans38400) {
    for (const RateCase& c : {RateCase{0, 9600}, RateCase{1, 19200}, RateCase{2, 38400},
                              RateCase{3, 56000}, RateCase{4, 57600}, RateCase{5, 115200},
                              RateCase{6, 38400}, RateCase{0xFFFFFFFF, 38400}}) {
        EXPECT_EQ(PbusBaudRate(c.index), c.rate) << c.index;
    }
}

TEST(PbusSetup, ParityOutsideTheListMeansEvenOnTheLine) {
    EXPECT_EQ(PbusPortParity(0), PbusParity::kNone);
    EXPECT_EQ(PbusPortParity(1), PbusParity::kOdd);
    EXPECT_EQ(PbusPortParity(2), PbusParity::kEven);
    EXPECT_EQ(PbusPortParity(3), PbusParity::kEven);
}

TEST(PbusSetup, FailureMessageNamesThePort) {
    EXPECT_EQ(PbusConnectFailedText("COM3"), "Unable to connect using\ncomm port 3");
    EXPECT_EQ(PbusConnectFailedText("COM16"), "Unable to connect using\ncomm port 16");
    EXPECT_EQ(PbusConnectFailedText("/dev/ttyUSB0"),
              "Unable to connect using\ncomm port /dev/ttyUSB0");
    EXPECT_EQ(PbusConnectFailedText("COM"), "Unable to connect using\ncomm port COM");
    EXPECT_EQ(PbusConnectFailedText("COM99999999999999"),
              "Unable to connect using\ncomm port COM99999999999999");
}

}  // namespace
}  // namespace tamberline::testing

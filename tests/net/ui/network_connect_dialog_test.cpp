#include "net/ui/network_connect_dialog.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHostInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <set>
#include <thread>

#include "net/link_fixture.h"

namespace tamberline::testing {
namespace {

class ListedFinder final : public ConsoleFinder {
public:
    std::vector<FoundConsole> Find(std::chrono::milliseconds, const std::atomic<bool>&) override {
        finderThread = std::this_thread::get_id();
        return consoles;
    }
    std::vector<FoundConsole> consoles;
    std::thread::id finderThread;
};

void Settle(const std::function<bool()>& done) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 3000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}

std::vector<std::string> Rows(QTreeWidget& list) {
    std::vector<std::string> rows;
    for (int i = 0; i < list.topLevelItemCount(); ++i) {
        rows.push_back((list.topLevelItem(i)->text(0) + " " + list.topLevelItem(i)->text(1))
                           .trimmed()
                           .toStdString());
    }
    return rows;
}

class ConnectDialogTest : public ::testing::Test {
protected:
    ManualClock clock;
    Wire wire;
    LinkSide side{wire, "10.77.0.1", clock};
    ListedFinder finder;
    std::set<std::string> answering{"10.77.0.2", "10.77.0.3"};
    NetworkBrowser::Ping ping = [this](const std::string& a) { return answering.count(a) > 0; };
};

TEST_F(ConnectDialogTest, ListsTheConsolesThatAnswerButNeverThisOne) {
    const std::string own = QHostInfo::localHostName().toUpper().toStdString();
    finder.consoles = {{"stage-left", "10.77.0.2"},
                       {own, "10.77.0.3"},  // this computer, whatever the case
                       {"silent", "10.77.0.4"},
                       {"stage-right", "10.77.0.3"}};
    NetworkConnectDialog dialog(nullptr, side.link, side.box, finder, ping);
    ASSERT_EQ(Rows(dialog.list()), std::vector<std::string>{"Searching..."});
    Settle([&] {
        return Rows(dialog.list()).size() == 2 && Rows(dialog.list())[0] != "stage-left 10.77.0.2";
    });
    EXPECT_EQ(Rows(dialog.list()),
              (std::vector<std::string>{"stage-right 10.77.0.3", "stage-left 10.77.0.2"}));
    EXPECT_NE(finder.finderThread, std::this_thread::get_id());
    // The newest row is chosen while the operator has chosen none.
    EXPECT_EQ(dialog.list().currentItem()->text(0), "stage-right");
}

TEST_F(ConnectDialogTest, ARowArrivingLaterLeavesTheOperatorsChoice) {
    finder.consoles = {{"stage-left", "10.77.0.2"}, {"stage-right", "10.77.0.3"}};
    std::atomic<bool> release{false};
    ping = [&release](const std::string& a) {
        while (a == "10.77.0.3" && !release) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    };
    NetworkConnectDialog dialog(nullptr, side.link, side.box, finder, ping);
    Settle([&] { return Rows(dialog.list())[0] == "stage-left 10.77.0.2"; });
    QTreeWidgetItem* chosen = dialog.list().topLevelItem(0);
    dialog.list().setCurrentItem(chosen);
    emit dialog.list().itemClicked(chosen, 0);
    release = true;
    Settle([&] { return Rows(dialog.list()).size() == 2; });
    ASSERT_EQ(Rows(dialog.list()).size(), 2u);
    EXPECT_EQ(dialog.list().currentItem()->text(0), "stage-left");
}

TEST_F(ConnectDialogTest, WithNobodyFoundTheListSaysTheNetworkIsNotReady) {
    finder.consoles = {{"silent", "10.77.0.4"}};
    NetworkConnectDialog dialog(nullptr, side.link, side.box, finder, ping);
    Settle([&] { return Rows(dialog.list())[0] == "Network not ready."; });
    EXPECT_EQ(Rows(dialog.list()), std::vector<std::string>{"Network not ready."});
    auto* connect = dialog.findChild<QPushButton*>();
    for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
        if (button->text() == "Connect") {
            connect = button;
        }
    }
    EXPECT_FALSE(connect->isEnabled());
    dialog.Connect();
    EXPECT_EQ(side.box.box.Texts(), std::vector<std::string>{"Select a remote computer."});
    EXPECT_FALSE(side.link.connecting());
}

TEST_F(ConnectDialogTest, ConnectProbesTheChosenRowAsMasterByDefault) {
    finder.consoles = {{"stage-left", "10.77.0.2"}};
    NetworkConnectDialog dialog(nullptr, side.link, side.box, finder, ping);
    Settle([&] { return Rows(dialog.list())[0] == "stage-left 10.77.0.2"; });
    dialog.Connect();
    EXPECT_TRUE(side.link.connecting());
    EXPECT_EQ(side.link.remoteAddress(), "10.77.0.2");
    wire.Pump();
    ASSERT_EQ(wire.sent.size(), 1u);
    EXPECT_EQ(wire.CodesFrom("10.77.0.1"), std::vector<int>{0});
    // No answer: the operator is told and may choose again.
    clock.Advance(NetLink::kProbeTimeoutMs);
    side.link.Poll();
    EXPECT_EQ(side.box.box.Texts(),
              std::vector<std::string>{"Tamberline not ready\non remote computer."});
    EXPECT_TRUE(dialog.list().isEnabled());
}

TEST_F(ConnectDialogTest, ClosingTheDialogWithdrawsTheRequest) {
    finder.consoles = {{"stage-left", "10.77.0.2"}};
    {
        NetworkConnectDialog dialog(nullptr, side.link, side.box, finder, ping);
        Settle([&] { return Rows(dialog.list())[0] == "stage-left 10.77.0.2"; });
        for (QRadioButton* radio : dialog.findChildren<QRadioButton*>()) {
            if (radio->text() == "Master") {
                radio->setChecked(true);  // the other console becomes master
            }
        }
        dialog.Connect();
        dialog.reject();
    }
    wire.Pump();
    EXPECT_EQ(wire.CodesFrom("10.77.0.1"), (std::vector<int>{0, 6}));
    EXPECT_FALSE(side.link.connecting());
    EXPECT_FALSE(side.link.requestPending());
}

}  // namespace
}  // namespace tamberline::testing

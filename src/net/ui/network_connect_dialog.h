#pragma once

#include <QDialog>
#include <memory>

#include "net/console_discovery.h"
#include "net/net_link.h"
#include "net/network_monitor.h"

class QLabel;
class QPushButton;
class QRadioButton;
class QTreeWidget;

namespace tamberline {

class MessageBox;

// "Network Connect.": the consoles found on the network that answer the
// echo, the choice of which end the selected one becomes, and the request
// to it. The dialog closes when the request is answered, when the network
// goes, or by Cancel, which withdraws the request.
class NetworkConnectDialog final : public QDialog, private ConnectWatcher {
    Q_OBJECT
public:
    NetworkConnectDialog(QWidget* owner, NetLink& link, MessageBox& box, ConsoleFinder& finder,
                         NetworkBrowser::Ping ping);
    ~NetworkConnectDialog() override;

    void reject() override;

    // For tests: the rows shown, name and address.
    QTreeWidget& list() { return *list_; }
    void Connect();

private:
    // ConnectWatcher
    void ShowProgress(const std::string& text) override;
    void ProbeUnanswered() override;
    void Finished() override;

    void AddRow(const FoundConsole& row);
    void BrowseDone(bool any);
    void SetControlsEnabled(bool enabled);
    void NetworkLost();

    NetLink& link_;
    MessageBox& box_;
    NetworkBrowser browser_;
    NetworkMonitor monitor_;
    QTreeWidget* list_ = nullptr;
    QRadioButton* master_ = nullptr;
    QRadioButton* slave_ = nullptr;
    QLabel* progress_ = nullptr;
    QPushButton* connect_ = nullptr;
    QPushButton* cancel_ = nullptr;
    bool placeholder_ = true;
    bool operatorChose_ = false;
    bool waiting_ = false;
};

// Runs the dialog for the "Connect" item; the local network is checked
// first ("Local area network\nnot ready.").
void RunNetworkConnect(QWidget* owner, NetLink& link, MessageBox& box, ConsoleFinder& finder);

}  // namespace tamberline

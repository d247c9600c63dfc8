#include "net/ui/network_connect_dialog.h"

#include <QApplication>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHostInfo>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <future>

#include "base/message_box.h"
#include "net/resolve_and_ping.h"

namespace tamberline {

namespace {
constexpr char kSearching[] = "Searching...";
constexpr char kNotReady[] = "Network not ready.";
constexpr int kNameWidth = 150;
constexpr int kAddressWidth = 154;
constexpr int kPollMs = 10;
}  // namespace

NetworkConnectDialog::NetworkConnectDialog(QWidget* owner, NetLink& link, MessageBox& box,
                                           ConsoleFinder& finder, NetworkBrowser::Ping ping)
    : QDialog(owner),
      link_(link),
      box_(box),
      browser_(finder, std::move(ping), QHostInfo::localHostName().toStdString(), OwnAddresses()) {
    setWindowTitle(QStringLiteral("Network Connect."));
    list_ = new QTreeWidget(this);
    list_->setColumnCount(2);
    list_->setHeaderLabels({QStringLiteral("Computer name"), QStringLiteral("IP Address")});
    list_->header()->resizeSection(0, kNameWidth);
    list_->header()->resizeSection(1, kAddressWidth);
    list_->setRootIsDecorated(false);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setStyleSheet(QStringLiteral("QTreeWidget { background: #E0E0E0; color: black; }"));
    list_->addTopLevelItem(new QTreeWidgetItem({QString::fromLatin1(kSearching)}));
    list_->setMinimumWidth(kNameWidth + kAddressWidth + 8);

    master_ = new QRadioButton(QStringLiteral("Master"), this);
    slave_ = new QRadioButton(QStringLiteral("Slave"), this);
    slave_->setChecked(true);
    progress_ = new QLabel(this);
    progress_->hide();
    connect_ = new QPushButton(QStringLiteral("Connect"), this);
    connect_->setEnabled(false);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);

    auto* roles = new QHBoxLayout;
    roles->addWidget(new QLabel(QStringLiteral("Make selected computer :   "), this));
    roles->addWidget(master_);
    roles->addWidget(slave_);
    roles->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(progress_);
    buttons->addStretch();
    buttons->addWidget(connect_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addLayout(roles);
    layout->addLayout(buttons);

    QObject::connect(connect_, &QPushButton::clicked, this, [this] { Connect(); });
    QObject::connect(cancel_, &QPushButton::clicked, this, [this] { reject(); });
    QObject::connect(list_, &QTreeWidget::itemClicked, this, [this] { operatorChose_ = true; });
    cancel_->setFocus();

    // The browser's thread never touches the list: its rows are posted
    // here, and die with the dialog if it closed meanwhile.
    QPointer<NetworkConnectDialog> self(this);
    browser_.Start(
        [self](const FoundConsole& row) {
            QMetaObject::invokeMethod(
                qApp,
                [self, row] {
                    if (self) {
                        self->AddRow(row);
                    }
                },
                Qt::QueuedConnection);
        },
        [self](bool any) {
            QMetaObject::invokeMethod(
                qApp,
                [self, any] {
                    if (self) {
                        self->BrowseDone(any);
                    }
                },
                Qt::QueuedConnection);
        });
    monitor_.Start([this](bool connected) {
        if (!connected) {
            NetworkLost();
        }
    });
}

NetworkConnectDialog::~NetworkConnectDialog() {
    browser_.Stop();
    monitor_.Stop();
    if (waiting_) {
        link_.CancelConnect();
    }
}

void NetworkConnectDialog::AddRow(const FoundConsole& row) {
    if (placeholder_) {
        delete list_->takeTopLevelItem(0);
        placeholder_ = false;
    }
    auto* item = new QTreeWidgetItem(
        {QString::fromStdString(row.name), QString::fromStdString(row.address)});
    list_->insertTopLevelItem(0, item);
    // A row the operator picked stays picked while others arrive.
    if (!operatorChose_) {
        list_->setCurrentItem(item);
    }
    if (!waiting_) {
        connect_->setEnabled(true);
    }
}

void NetworkConnectDialog::BrowseDone(bool any) {
    if (!any && placeholder_) {
        list_->topLevelItem(0)->setText(0, QString::fromLatin1(kNotReady));
    }
}

void NetworkConnectDialog::SetControlsEnabled(bool enabled) {
    list_->setEnabled(enabled);
    master_->setEnabled(enabled);
    slave_->setEnabled(enabled);
    connect_->setEnabled(enabled && !placeholder_);
}

void NetworkConnectDialog::Connect() {
    QTreeWidgetItem* row = list_->currentItem();
    if (!row || placeholder_) {
        box_.Show("Select a remote computer.", mb::kOk | mb::kIconExclamation);
        return;
    }
    SetControlsEnabled(false);
    progress_->setText(QStringLiteral("Contacting remote..."));
    progress_->show();
    waiting_ = true;
    link_.BeginConnect(row->text(1).toStdString(), row->text(0).toStdString(),
                       /*thisMaster=*/!master_->isChecked(), this);
}

void NetworkConnectDialog::ShowProgress(const std::string& text) {
    progress_->setText(QString::fromStdString(text));
    progress_->show();
}

void NetworkConnectDialog::ProbeUnanswered() {
    waiting_ = false;
    progress_->hide();
    SetControlsEnabled(true);
    box_.Show("Tamberline not ready\non remote computer.", mb::kOk | mb::kIconExclamation);
}

void NetworkConnectDialog::Finished() {
    waiting_ = false;
    accept();
}

void NetworkConnectDialog::NetworkLost() {
    if (waiting_) {
        link_.CancelConnect();
        waiting_ = false;
    }
    box_.Show("Network connection lost.\n\n", mb::kOk | mb::kIconExclamation);
    QDialog::reject();
}

void NetworkConnectDialog::reject() {
    if (waiting_) {
        link_.CancelConnect();
        waiting_ = false;
    }
    browser_.Stop();
    QDialog::reject();
}

void RunNetworkConnect(QWidget* owner, NetLink& link, MessageBox& box, ConsoleFinder& finder) {
    // The check takes up to the lookup and echo time-outs: it runs aside
    // while the window goes on.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    std::future<PingResult> own = std::async(std::launch::async, [] { return PingOwnAddress(); });
    QEventLoop wait;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &wait, [&] {
        if (own.wait_for(std::chrono::seconds(0)) == std::future_status::ready) {
            wait.quit();
        }
    });
    poll.start(kPollMs);
    wait.exec();
    // Left running, it would look at the spent future from inside the
    // dialog's own loop below.
    poll.stop();
    QApplication::restoreOverrideCursor();
    if (!own.get().ok) {
        box.Show("Local area network\nnot ready.", mb::kOk | mb::kIconExclamation);
        return;
    }
    NetworkConnectDialog dialog(owner, link, box, finder,
                                [](const std::string& address) { return PingAddress(address); });
    dialog.exec();
}

}  // namespace tamberline

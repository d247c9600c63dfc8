#include "triggers/ui/pbus_setup_dialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "session/registry.h"

namespace tamberline {

namespace {

constexpr int kApplied = 1;
constexpr int kCodes = 16;
constexpr const char* kAddressLabels[kPbusAddresses] = {"Address A ", "Address B", "Address C",
                                                        "Address D"};
constexpr const char* kMappings[kPbusAddresses] = {
    "Registers 0..99 map to buttons 1..100", "Registers 0..99 map to buttons 101..200",
    "Registers 0..99 map to buttons 201..300", "Registers 0..35 map to buttons 301..336"};

QListWidget* CodeList(uint32_t mask) {
    auto* list = new QListWidget;
    list->setSelectionMode(QAbstractItemView::MultiSelection);
    for (int k = 0; k < kCodes; ++k) {
        auto* item = new QListWidgetItem(QString::asprintf("%02d       0x%02X", k, k), list);
        item->setSelected(((mask >> k) & 1u) != 0);
    }
    return list;
}

uint32_t MaskOf(const QListWidget* list) {
    uint32_t mask = 0;
    for (int k = 0; k < list->count(); ++k) {
        if (list->item(k)->isSelected()) {
            mask |= 1u << k;
        }
    }
    return mask;
}

void SelectOnly(QListWidget* list, int code) {
    for (int k = 0; k < list->count(); ++k) {
        list->item(k)->setSelected(k == code);
    }
}

}  // namespace

PbusSetupDialog::PbusSetupDialog(PbusSetup& setup, const std::vector<std::string>& ports,
                                 std::function<void()> help, QWidget* parent)
    : QDialog(parent), setup_(setup) {
    setWindowTitle(QStringLiteral("P-Bus Setup."));
    port_ = new QComboBox;
    port_->setEditable(true);
    for (const std::string& name : ports) {
        port_->addItem(QString::fromStdString(name));
    }
    port_->setCurrentText(QString::fromStdString(setup.port));
    rate_ = new QComboBox;
    for (int rate : kPbusRates) {
        rate_->addItem(QString::number(rate));
    }
    rate_->setCurrentIndex(setup.rate < kPbusRateCount ? static_cast<int>(setup.rate)
                                                       : static_cast<int>(kPbusDefaultRate));
    parity_ = new QComboBox;
    parity_->addItems({QStringLiteral("No parity"), QStringLiteral("Odd"), QStringLiteral("Even")});
    parity_->setCurrentIndex(setup.parity <= 2 ? static_cast<int>(setup.parity) : 0);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Port ")), 0, 0);
    grid->addWidget(port_, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Rate")), 1, 0);
    grid->addWidget(rate_, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Parity")), 2, 0);
    grid->addWidget(parity_, 2, 1);
    for (int a = 0; a < kPbusAddresses; ++a) {
        QComboBox* box = addresses_[a] = new QComboBox;
        box->addItem(QString());
        for (int bus = 0; bus < kPbusBusAddresses; ++bus) {
            box->addItem(QString::asprintf(" %d", bus));
        }
        const uint32_t stored = setup.config.addresses[static_cast<size_t>(a)];
        box->setCurrentIndex(stored <= kPbusBusAddresses ? static_cast<int>(stored) : 0);
        grid->addWidget(new QLabel(QString::fromLatin1(kAddressLabels[a])), 3 + a, 0);
        grid->addWidget(box, 3 + a, 1);
        grid->addWidget(new QLabel(QString::fromLatin1(kMappings[a])), 3 + a, 2);
    }

    play_ = CodeList(setup.config.playMask);
    stop_ = CodeList(setup.config.stopMask);
    connect(play_, &QListWidget::itemSelectionChanged, this, [this] { Exclude(play_, stop_); });
    connect(stop_, &QListWidget::itemSelectionChanged, this, [this] { Exclude(stop_, play_); });
    auto* codes = new QGridLayout;
    codes->addWidget(new QLabel(QStringLiteral("Play Command")), 0, 0);
    codes->addWidget(new QLabel(QStringLiteral("Stop command")), 0, 1);
    codes->addWidget(play_, 1, 0);
    codes->addWidget(stop_, 1, 1);

    auto* buttons = new QHBoxLayout;
    const std::pair<const char*, std::function<void()>> actions[] = {
        {"Apply", [this] { Apply(); }},
        {"Cancel", [this] { reject(); }},
        {"Set defaults", [this] { SetDefaults(); }},
        {"Help", std::move(help)}};
    for (const auto& [text, action] : actions) {
        auto* button = new QPushButton(QString::fromLatin1(text));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [action] {
            if (action) {
                action();
            }
        });
        buttons->addWidget(button);
    }

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(codes);
    layout->addLayout(buttons);
}

void PbusSetupDialog::Exclude(QListWidget* changed, QListWidget* other) {
    if (excluding_) {
        return;
    }
    excluding_ = true;
    for (int k = 0; k < changed->count(); ++k) {
        if (changed->item(k)->isSelected()) {
            other->item(k)->setSelected(false);
        }
    }
    excluding_ = false;
}

void PbusSetupDialog::SetDefaults() {
    rate_->setCurrentIndex(static_cast<int>(kPbusDefaultRate));
    parity_->setCurrentIndex(0);
    excluding_ = true;
    SelectOnly(play_, 0);
    SelectOnly(stop_, 1);
    excluding_ = false;
}

void PbusSetupDialog::Apply() {
    setup_.port = port_->currentText().trimmed().toStdString();
    setup_.rate = static_cast<uint32_t>(rate_->currentIndex());
    setup_.parity = static_cast<uint32_t>(parity_->currentIndex());
    setup_.config.playMask = MaskOf(play_);
    setup_.config.stopMask = MaskOf(stop_);
    for (int a = 0; a < kPbusAddresses; ++a) {
        setup_.config.addresses[static_cast<size_t>(a)] =
            static_cast<uint32_t>(addresses_[a]->currentIndex());
    }
    done(kApplied);
}

int RunPbusSetupDialog(QWidget* parent, Registry& registry, std::function<void()> help) {
    PbusSetup setup = ReadPbusSetup(registry);
    PbusSetupDialog dialog(setup, OpenablePbusPorts(setup.port), std::move(help), parent);
    const int result = dialog.exec();
    if (result == kApplied) {
        WritePbusSetup(registry, setup);
    }
    return result;
}

}  // namespace tamberline

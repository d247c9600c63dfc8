#include "triggers/ui/midi_ports_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tamberline {

namespace {

constexpr int kItemRole = Qt::UserRole;

QTreeWidget* MakeList(QWidget* parent) {
    auto* list = new QTreeWidget(parent);
    list->setHeaderHidden(true);
    list->setRootIsDecorated(false);
    return list;
}

}  // namespace

MidiPortsDialog::MidiPortsDialog(MidiPortChoices& choices, QWidget* parent)
    : QDialog(parent), choices_(choices), inputs_(MakeList(this)), outputs_(MakeList(this)) {
    setWindowTitle(QStringLiteral("Setup Midi Ports"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Select MIDI input devices."), this));
    layout->addWidget(inputs_);
    layout->addWidget(new QLabel(QStringLiteral("Select MIDI output devices."), this));
    layout->addWidget(outputs_);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* apply = buttons->addButton(QStringLiteral("Apply"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    connect(apply, &QPushButton::clicked, this, [this] { done(choices_.Apply()); });
    connect(buttons, &QDialogButtonBox::rejected, this, [this] { done(0); });
    for (QTreeWidget* list : {inputs_, outputs_}) {
        connect(list, &QTreeWidget::itemClicked, this,
                [this](QTreeWidgetItem* item) { OnClicked(item); });
    }
    Fill();
}

void MidiPortsDialog::Fill() {
    const std::vector<MidiPortChoices::Item>& items = choices_.items();
    for (size_t i = 0; i < items.size(); ++i) {
        auto* item = new QTreeWidgetItem(items[i].input ? inputs_ : outputs_);
        item->setText(0, QString::fromStdString(items[i].device.name));
        item->setData(0, kItemRole, static_cast<qulonglong>(i));
        ShowItem(item);
    }
}

void MidiPortsDialog::ShowItem(QTreeWidgetItem* item) {
    const size_t index = item->data(0, kItemRole).toULongLong();
    const bool selected = choices_.items()[index].selected;
    item->setIcon(0, style()->standardIcon(selected ? QStyle::SP_DialogApplyButton
                                                    : QStyle::SP_DialogCancelButton));
    item->setData(0, Qt::AccessibleDescriptionRole,
                  selected ? QStringLiteral("selected") : QStringLiteral("not selected"));
}

void MidiPortsDialog::OnClicked(QTreeWidgetItem* item) {
    choices_.Toggle(item->data(0, kItemRole).toULongLong());
    ShowItem(item);
}

int RunMidiPortsDialog(QWidget* parent, MidiDriver& driver, Registry& registry, MessageBox& box) {
    MidiPortChoices choices(driver, registry, box);
    choices.Fill();
    MidiPortsDialog dialog(choices, parent);
    return dialog.exec();
}

}  // namespace tamberline

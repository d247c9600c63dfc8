#pragma once

#include <QDialog>

#include "triggers/midi/midi_port_choices.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace tamberline {

// "Setup Midi Ports": the MIDI inputs and outputs, each chosen or not; a
// click on an item toggles it. "Apply" stores the choices and ends with 9
// when any is chosen (else 0); "Cancel" stores nothing.
class MidiPortsDialog final : public QDialog {
    Q_OBJECT
public:
    MidiPortsDialog(MidiPortChoices& choices, QWidget* parent = nullptr);

    QTreeWidget* inputs() const { return inputs_; }
    QTreeWidget* outputs() const { return outputs_; }

private:
    void Fill();
    void ShowItem(QTreeWidgetItem* item);
    void OnClicked(QTreeWidgetItem* item);

    MidiPortChoices& choices_;
    QTreeWidget* inputs_;
    QTreeWidget* outputs_;
};

// Lists the ports afresh and runs the dialog modally over `parent`.
int RunMidiPortsDialog(QWidget* parent, MidiDriver& driver, Registry& registry, MessageBox& box);

}  // namespace tamberline

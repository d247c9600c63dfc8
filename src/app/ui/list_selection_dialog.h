#pragma once

#include <QDialog>

#include "app/list_selection_model.h"

class QComboBox;
class QPushButton;

namespace tamberline {

// The list-selection dialog: caption, drop-down, control-panel button, OK
// and Cancel. It only shows its model; the control-panel button (left or
// right click) and the choice go back to the model.
class ListSelectionDialog final : public QDialog {
    Q_OBJECT
public:
    explicit ListSelectionDialog(ListSelectionModel& model, QWidget* parent = nullptr);

    QComboBox* Rows() const { return rows_; }
    QPushButton* ControlPanelButton() const { return panel_; }

private:
    ListSelectionModel& model_;
    QComboBox* rows_;
    QPushButton* panel_;
};

// Runs the dialog modally over `parent`.
class DialogListSelectionRunner final : public ListSelectionRunner {
public:
    explicit DialogListSelectionRunner(QWidget* parent) : parent_(parent) {}
    bool Run(ListSelectionModel& model) override;

private:
    QWidget* parent_;
};

}  // namespace tamberline

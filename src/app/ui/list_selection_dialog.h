#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "app/list_selection_model.h"

class QComboBox;
class QPushButton;

namespace tamberline {

// Opens the help at a topic.
using ShowHelpFn = std::function<void(const std::string& topic)>;

// The list-selection dialog: caption, drop-down, control-panel button, OK,
// Cancel and Help (also F1). It only shows its model; the control-panel
// button (left or right click) and the choice go back to the model.
class ListSelectionDialog final : public QDialog {
    Q_OBJECT
public:
    explicit ListSelectionDialog(ListSelectionModel& model, QWidget* parent = nullptr,
                                 ShowHelpFn help = {});
    ~ListSelectionDialog() override;

    QComboBox* Rows() const { return rows_; }
    QPushButton* ControlPanelButton() const { return panel_; }
    QPushButton* HelpButton() const { return help_; }

private:
    void FillRows();

    ListSelectionModel& model_;
    QComboBox* rows_;
    QPushButton* panel_;
    QPushButton* help_;
};

// Runs the dialog modally over `parent`.
class DialogListSelectionRunner final : public ListSelectionRunner {
public:
    DialogListSelectionRunner(QWidget* parent, ShowHelpFn help)
        : parent_(parent), help_(std::move(help)) {}
    bool Run(ListSelectionModel& model) override;

private:
    QWidget* parent_;
    ShowHelpFn help_;
};

}  // namespace tamberline

#pragma once

#include <QDialog>
#include <memory>
#include <string>

#include "app/ui/list_printer.h"
#include "session/button_record.h"
#include "session/run_log_view.h"

class QPushButton;
class QTreeView;

namespace tamberline {

class InfoTableModel;
class MessageBox;
class RunLog;

// "Session Info.": the run log, with "Delete Log" and "Print", or the
// listing of every button of the session.
class SessionInfoDialog final : public QDialog {
    Q_OBJECT
public:
    // The run log.
    SessionInfoDialog(RunLog& log, MessageBox& box, QWidget* parent = nullptr);
    // The listing of the session's buttons.
    SessionInfoDialog(const std::string& sessionPath, const RecordArray& records,
                      QWidget* parent = nullptr);
    ~SessionInfoDialog() override;

    void SetPrinterChooser(PrinterChooser chooser) { choosePrinter_ = std::move(chooser); }

    QTreeView& list() { return *list_; }
    QPushButton& deleteButton() { return *delete_; }
    QPushButton& printButton() { return *print_; }
    QPushButton& closeButton() { return *close_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    SessionInfoDialog(bool logMode, QWidget* parent);
    void DeleteLog();
    void Print();

    RunLog* log_ = nullptr;
    MessageBox* box_ = nullptr;
    RunLogLines lines_;
    std::string pendingSession_;
    std::unique_ptr<InfoTableModel> model_;
    QTreeView* list_;
    QPushButton* delete_;
    QPushButton* print_;
    QPushButton* close_;
    PrinterChooser choosePrinter_ = ChoosePrinterInDialog;
};

}  // namespace tamberline

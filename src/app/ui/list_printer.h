#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class QPrinter;
class QWidget;

namespace tamberline {

// Asks which printer, on the dialog's parent; false when cancelled. The
// system's print dialog unless a test puts another in.
using PrinterChooser = std::function<bool(QPrinter& printer, QWidget* parent)>;

// Qt's print dialog without page range, selection or print-to-file.
bool ChoosePrinterInDialog(QPrinter& printer, QWidget* parent);

// A list as it prints: its title, the column titles on every page, then the
// rows; columns keep the shares of the widths they have on screen.
struct PrintedList {
    QString title;
    QStringList columns;
    std::vector<int> widths;
    std::vector<bool> rightAligned;
    size_t rowCount = 0;
    std::function<QStringList(size_t row)> row;
};

// Prints on `printer`, the one the operator chose: never the system's
// default in its place.
void PrintList(QPrinter& printer, const PrintedList& list);

}  // namespace tamberline

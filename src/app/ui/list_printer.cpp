#include "app/ui/list_printer.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <numeric>

namespace tamberline {

bool ChoosePrinterInDialog(QPrinter& printer, QWidget* parent) {
    QPrintDialog dialog(&printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    return dialog.exec() == QDialog::Accepted;
}

namespace {

struct PageLayout {
    QRect area;
    std::vector<int> x;  // left edge of every column, then the right edge
    int lineHeight = 0;
};

PageLayout LayOut(QPrinter& printer, const QFontMetrics& metrics, const PrintedList& list) {
    PageLayout layout;
    layout.area = printer.pageLayout().paintRectPixels(printer.resolution());
    layout.area.moveTo(0, 0);
    layout.lineHeight = metrics.height() * 6 / 5;
    const int total = std::max(1, std::accumulate(list.widths.begin(), list.widths.end(), 0));
    int used = 0;
    layout.x.push_back(0);
    for (int width : list.widths) {
        used += width;
        layout.x.push_back(
            static_cast<int>(static_cast<int64_t>(used) * layout.area.width() / total));
    }
    return layout;
}

void DrawCells(QPainter& painter, const PageLayout& layout, const PrintedList& list,
               const QStringList& cells, int y) {
    const QFontMetrics metrics = painter.fontMetrics();
    for (qsizetype c = 0; c < cells.size() && c + 1 < static_cast<qsizetype>(layout.x.size());
         ++c) {
        const auto column = static_cast<size_t>(c);
        const QRect cell(layout.x[column] + 4, y, layout.x[column + 1] - layout.x[column] - 8,
                         layout.lineHeight);
        const bool right = column < list.rightAligned.size() && list.rightAligned[column];
        painter.drawText(cell, (right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter,
                         metrics.elidedText(cells[c], Qt::ElideRight, cell.width()));
    }
}

}  // namespace

void PrintList(QPrinter& printer, const PrintedList& list) {
    QPainter painter;
    if (!painter.begin(&printer)) {
        return;
    }
    QFont font = painter.font();
    font.setPointSize(8);
    painter.setFont(font);
    QFont bold = font;
    bold.setBold(true);
    const PageLayout layout = LayOut(printer, painter.fontMetrics(), list);
    int y = 0;
    auto heading = [&] {
        painter.setFont(bold);
        painter.drawText(QRect(0, 0, layout.area.width(), layout.lineHeight),
                         Qt::AlignLeft | Qt::AlignVCenter, list.title);
        DrawCells(painter, layout, list, list.columns, layout.lineHeight);
        y = layout.lineHeight * 2;
        painter.drawLine(0, y, layout.area.width(), y);
        y += layout.lineHeight / 4;
        painter.setFont(font);
    };
    heading();
    for (size_t row = 0; row < list.rowCount; ++row) {
        if (y + layout.lineHeight > layout.area.height()) {
            if (!printer.newPage()) {
                break;
            }
            heading();
        }
        DrawCells(painter, layout, list, list.row(row), y);
        y += layout.lineHeight;
    }
    painter.end();
}

}  // namespace tamberline

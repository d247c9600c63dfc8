#include "app/grid_geometry.h"

#include <algorithm>

#include "session/button_record.h"

namespace tamberline {

namespace {

constexpr int kMinimumHeader = 30;
constexpr int kMinimumWidth = 750;
constexpr int kMinimumGridHeight = 476;
constexpr int kMaxButtonHeight = 180;
constexpr int kMaxButtonWidth = 250;
constexpr int kSideMargin = 50;
constexpr int kHintTextPadding = 16;
constexpr int kFieldPadding = 8;
constexpr int kFieldStartX = 4;
constexpr int kRightEdgeAllowance = 20;
constexpr int kLineGap = 2;

// Windows rectangles exclude their right and bottom edges; QRect from two
// points includes both.
QRect FromEdges(int left, int top, int right, int bottom) {
    return {QPoint(left, top), QPoint(right - 1, bottom - 1)};
}

}  // namespace

QRect GridGeometry::HeaderRect() const {
    return {0, 0, area.width(), headerHeight};
}

QRect GridGeometry::ButtonRect(int button) const {
    const int slot = ((button % kButtonsPerPage) + kButtonsPerPage) % kButtonsPerPage;
    const int row = slot / kGridColumns;
    const int column = slot % kGridColumns;
    return {gridLeft + column * buttonWidth, headerHeight + row * buttonHeight, buttonWidth,
            buttonHeight};
}

QRect GridGeometry::TimeRect(int button) const {
    const QRect b = ButtonRect(button);
    return FromEdges(b.left() + 2, b.top() + buttonHeight - 23, b.left() + buttonWidth - 3,
                     b.top() + buttonHeight - 3);
}

QRect GridGeometry::GridRect() const {
    return {gridLeft, headerHeight, kGridColumns * buttonWidth, kGridRows * buttonHeight};
}

QRect GridGeometry::StatusArea() const {
    const int top = headerHeight + kGridRows * buttonHeight;
    return FromEdges(gridLeft, top, gridLeft + 6 * buttonWidth, area.height());
}

QRect GridGeometry::HintColumn() const {
    const int top = headerHeight + kGridRows * buttonHeight;
    return FromEdges(gridLeft + 6 * buttonWidth, top, gridLeft + 7 * buttonWidth, area.height());
}

QRect GridGeometry::FixedFieldRect(int field) const {
    const int w = buttonWidth;
    const int top = hintBox.top();
    const int bottom = hintBox.bottom() + 1;
    const int wide = (5 * w - 8) / 3;
    const int x17 = w - 20;
    auto field_at = [&](int left, int right, int y) {
        return FromEdges(gridLeft + left, y, gridLeft + right, y + kStatusFieldHeight);
    };
    switch (field) {
        case 15: return field_at(4, 144, top + (bottom - top - 17) / 2 + 2);
        case 16: return field_at(4, 80, bottom - 17);
        case 17: return field_at(x17, x17 + wide, bottom - 17);
        case 18: return field_at(x17 + wide, x17 + 2 * wide, bottom - 17);
        case 19: return field_at(x17 + 2 * wide, x17 + 3 * wide, bottom - 17);
        default: return {};
    }
}

int GridGeometry::SlotAt(QPoint point) const {
    if (buttonWidth <= 0 || buttonHeight <= 0 || !GridRect().contains(point)) {
        return -1;
    }
    const int column = (point.x() - gridLeft) / buttonWidth;
    const int row = (point.y() - headerHeight) / buttonHeight;
    return row * kGridColumns + column;
}

QRect GridGeometry::CellsTouching(QRect band) const {
    const QRect clamped = band.normalized().intersected(GridRect());
    if (clamped.isEmpty()) {
        return {};
    }
    const int left = (clamped.left() - gridLeft) / buttonWidth;
    const int right = (clamped.right() - gridLeft) / buttonWidth;
    const int top = (clamped.top() - headerHeight) / buttonHeight;
    const int bottom = (clamped.bottom() - headerHeight) / buttonHeight;
    return {QPoint(left, top), QPoint(right, bottom)};
}

GridGeometry LayoutGrid(QSize client, int menuHeight, int hintTextWidth) {
    GridGeometry g;
    g.headerHeight = std::max(menuHeight, kMinimumHeader);
    g.area =
        QSize(std::max(client.width(), kMinimumWidth),
              std::max(client.height(), kMinimumGridHeight + std::min(menuHeight, kMinimumHeader)));
    g.buttonHeight = std::min((g.area.height() - g.headerHeight) / 7, kMaxButtonHeight);
    g.buttonWidth = std::min((g.area.width() - kSideMargin) / 7, kMaxButtonWidth);
    g.gridLeft = (g.area.width() - kGridColumns * g.buttonWidth) / 2;

    const int hintHeight = g.buttonHeight >= 102 ? g.buttonHeight - 40 : 62;
    const int hintWidth = std::min(hintTextWidth + kHintTextPadding, g.buttonWidth - 4);
    const int bandTop = g.headerHeight + kGridRows * g.buttonHeight;
    const int columnLeft = g.gridLeft + 6 * g.buttonWidth;
    g.hintBox = QRect(columnLeft + (g.buttonWidth - hintWidth) / 2,
                      bandTop + (g.buttonHeight - hintHeight) / 2, hintWidth, hintHeight);
    return g;
}

std::vector<QRect> FlowStatusFields(const GridGeometry& g, const std::vector<int>& textWidths) {
    std::vector<QRect> rects(textWidths.size());
    const int rightEdge = g.gridLeft + 6 * g.buttonWidth - kRightEdgeAllowance;
    int x = g.gridLeft + kFieldStartX;
    int y = g.hintBox.top();
    bool secondLine = false;
    for (size_t i = 0; i < textWidths.size(); ++i) {
        if (textWidths[i] <= 0) {
            continue;
        }
        const int width = textWidths[i] + kFieldPadding;
        if (!secondLine && x + width > rightEdge) {
            secondLine = true;
            x = g.gridLeft + 2 * g.buttonWidth;
            y += kStatusFieldHeight + kLineGap;
        }
        rects[i] = QRect(x, y, width, kStatusFieldHeight);
        x += width;
    }
    return rects;
}

}  // namespace tamberline

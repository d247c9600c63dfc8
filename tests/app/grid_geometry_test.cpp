#include "app/grid_geometry.h"

#include <gtest/gtest.h>

namespace tamberline {
namespace {

TEST(GridGeometryTest, A1024By768ClientGivesCentredButtonsOf139ByOneSeventh) {
    const GridGeometry g = LayoutGrid(QSize(1024, 768), 22, 90);
    EXPECT_EQ(g.headerHeight, 30);
    EXPECT_EQ(g.buttonWidth, 139);
    EXPECT_EQ(g.buttonHeight, (768 - 30) / 7);
    // Equal margins left and right of the seven columns.
    EXPECT_EQ(g.gridLeft, (1024 - 7 * 139) / 2);
    EXPECT_EQ(g.ButtonRect(0), QRect(g.gridLeft, 30, 139, 105));
    EXPECT_EQ(g.ButtonRect(41), QRect(g.gridLeft + 6 * 139, 30 + 5 * 105, 139, 105));
    // Button 43 sits where button 1 does: every page uses the same slots.
    EXPECT_EQ(g.ButtonRect(43), g.ButtonRect(1));
    EXPECT_EQ(g.GridRect(), QRect(g.gridLeft, 30, 7 * 139, 6 * 105));
}

TEST(GridGeometryTest, HeaderMinimumSizeAndButtonLimits) {
    const struct {
        QSize client;
        int menu;
        int header, width, height;
    } cases[] = {
        // A tall menu makes the header taller; a tiny window is laid out at
        // the minimum of 750 x 476 + min(menu, 30).
        {{1024, 768}, 40, 40, 139, (768 - 40) / 7},
        {{300, 200}, 20, 30, (750 - 50) / 7, (496 - 30) / 7},
        {{300, 200}, 40, 40, (750 - 50) / 7, (506 - 40) / 7},
        // Huge windows stop at 250 x 180 buttons.
        {{4000, 3000}, 20, 30, 250, 180},
    };
    for (const auto& c : cases) {
        const GridGeometry g = LayoutGrid(c.client, c.menu, 90);
        EXPECT_EQ(g.headerHeight, c.header) << c.client.width();
        EXPECT_EQ(g.buttonWidth, c.width) << c.client.width();
        EXPECT_EQ(g.buttonHeight, c.height) << c.client.width();
        EXPECT_GE(g.gridLeft, 0);
    }
}

TEST(GridGeometryTest, TimeFieldIsTheStripAtTheBottomOfTheButton) {
    const GridGeometry g = LayoutGrid(QSize(1024, 768), 20, 90);
    const QRect b = g.ButtonRect(8);
    const QRect t = g.TimeRect(8);
    EXPECT_EQ(t.left(), b.left() + 2);
    EXPECT_EQ(t.top(), b.top() + g.buttonHeight - 23);
    EXPECT_EQ(t.right() + 1, b.left() + g.buttonWidth - 3);
    EXPECT_EQ(t.bottom() + 1, b.top() + g.buttonHeight - 3);
}

TEST(GridGeometryTest, HintBoxHeightFollowsTheButtonHeight) {
    const struct {
        int clientHeight;
        int hintHeight;
    } cases[] = {{30 + 7 * 102, 62}, {30 + 7 * 101, 62}, {30 + 7 * 120, 80}};
    for (const auto& c : cases) {
        const GridGeometry g = LayoutGrid(QSize(1024, c.clientHeight), 20, 90);
        EXPECT_EQ(g.hintBox.height(), c.hintHeight) << c.clientHeight;
        // Centred in column 6 of the bottom band.
        const int bandTop = g.headerHeight + 6 * g.buttonHeight;
        EXPECT_EQ(g.hintBox.top() - bandTop, (g.buttonHeight - c.hintHeight) / 2);
        EXPECT_TRUE(g.HintColumn().contains(g.hintBox));
    }
}

TEST(GridGeometryTest, FixedStatusFieldsSitOnTheHintBox) {
    const GridGeometry g = LayoutGrid(QSize(1024, 768), 20, 90);
    const int w = g.buttonWidth;
    const int top = g.hintBox.top();
    const int bottom = g.hintBox.bottom() + 1;
    const int wide = (5 * w - 8) / 3;
    EXPECT_EQ(g.FixedFieldRect(15),
              QRect(g.gridLeft + 4, top + (bottom - top - 17) / 2 + 2, 140, 21));
    EXPECT_EQ(g.FixedFieldRect(16), QRect(g.gridLeft + 4, bottom - 17, 76, 21));
    EXPECT_EQ(g.FixedFieldRect(17), QRect(g.gridLeft + w - 20, bottom - 17, wide, 21));
    EXPECT_EQ(g.FixedFieldRect(18).left(), g.FixedFieldRect(17).right() + 1);
    EXPECT_EQ(g.FixedFieldRect(19).left(), g.FixedFieldRect(18).right() + 1);
    EXPECT_TRUE(g.FixedFieldRect(3).isNull());
}

TEST(GridGeometryTest, ButtonFieldsFlowOntoASecondLineAtTwiceTheButtonWidth) {
    const GridGeometry g = LayoutGrid(QSize(1024, 768), 20, 90);
    // An empty field takes no room; the field that would pass the status
    // area's right edge less 20 starts the second line.
    const std::vector<int> widths = {200, 0, 300, 300, 50};
    const std::vector<QRect> rects = FlowStatusFields(g, widths);
    ASSERT_EQ(rects.size(), widths.size());
    EXPECT_EQ(rects[0], QRect(g.gridLeft + 4, g.hintBox.top(), 208, 21));
    EXPECT_TRUE(rects[1].isNull());
    EXPECT_EQ(rects[2].left(), rects[0].right() + 1);
    const int rightEdge = g.gridLeft + 6 * g.buttonWidth - 20;
    ASSERT_GT(rects[2].right() + 1 + 308, rightEdge);
    EXPECT_EQ(rects[3].left(), g.gridLeft + 2 * g.buttonWidth);
    EXPECT_GT(rects[3].top(), rects[0].bottom());
    EXPECT_EQ(rects[4].left(), rects[3].right() + 1);
    EXPECT_EQ(rects[4].top(), rects[3].top());
}

TEST(GridGeometryTest, SlotsAndBandsMapToCells) {
    const GridGeometry g = LayoutGrid(QSize(1024, 768), 20, 90);
    EXPECT_EQ(g.SlotAt(g.ButtonRect(9).center()), 9);
    EXPECT_EQ(g.SlotAt(QPoint(g.gridLeft - 1, 100)), -1);
    EXPECT_EQ(g.SlotAt(QPoint(500, 5)), -1);  // the header
    // A band touching buttons 8 and 16 selects columns 1..2 of rows 1..2;
    // one running past the grid is clamped to it.
    const QRect band(g.ButtonRect(8).bottomRight() - QPoint(3, 3),
                     g.ButtonRect(16).topLeft() + QPoint(3, 3));
    EXPECT_EQ(g.CellsTouching(band), QRect(QPoint(1, 1), QPoint(2, 2)));
    EXPECT_EQ(g.CellsTouching(QRect(QPoint(0, 0), QPoint(2000, 2000))), QRect(0, 0, 7, 6));
    EXPECT_TRUE(g.CellsTouching(QRect(0, 0, 5, 5)).isEmpty());
}

}  // namespace
}  // namespace tamberline

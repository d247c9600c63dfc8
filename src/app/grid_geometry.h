#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <vector>

namespace tamberline {

inline constexpr int kGridColumns = 7;
inline constexpr int kGridRows = 6;
inline constexpr int kStatusFieldCount = 20;
inline constexpr int kButtonInfoFields = 15;  // fields 0..14 describe a button
inline constexpr int kStatusFieldHeight = 21;

// Where everything of the console's client area lies. Rectangles are in
// client coordinates; a button's rectangle is that of its slot on the page
// shown (button k sits in slot k mod 42).
struct GridGeometry {
    int headerHeight = 30;
    int buttonWidth = 0;
    int buttonHeight = 0;
    int gridLeft = 0;
    QSize area;  // the client size laid out, never below the minimum
    QRect hintBox;

    QRect HeaderRect() const;
    QRect ButtonRect(int button) const;
    QRect TimeRect(int button) const;
    QRect GridRect() const;
    // Columns 0..5 of the bottom band, down to the bottom of the window.
    QRect StatusArea() const;
    // Column 6 from the bottom band down.
    QRect HintColumn() const;
    // Fields 15..19; an empty rectangle for any other field.
    QRect FixedFieldRect(int field) const;
    // The slot 0..41 under a point, -1 outside every button.
    int SlotAt(QPoint point) const;
    // The slots (as columns x rows) whose rectangles a band touches, after
    // clamping the band to the grid; empty when it touches none.
    QRect CellsTouching(QRect band) const;
};

// `menuHeight` is the height of the menu bar; `hintTextWidth` the width of
// "running button" in the time font.
GridGeometry LayoutGrid(QSize client, int menuHeight, int hintTextWidth);

// Places the button fields 0..14 from their text widths (a width of 0: the
// field is empty and gets an empty rectangle): left to right, each as wide
// as its text plus 8; a field that would pass the status area's right edge
// less 20 starts a second line at twice the button width.
std::vector<QRect> FlowStatusFields(const GridGeometry& geometry,
                                    const std::vector<int>& textWidths);

}  // namespace tamberline

#pragma once

#include <QTimer>
#include <QWidget>
#include <functional>
#include <vector>

#include "app/console_grid.h"
#include "app/console_menu.h"
#include "app/grid_geometry.h"
#include "app/ui/console_key_filter.h"
#include "app/ui/grid_fonts.h"

namespace tamberline {

class GridGestures;

// The console's client area: header band, the page of 42 buttons and the
// bottom band with the status fields and the hint box. It paints what the
// grid model holds and hands every gesture to the model; it decides
// nothing itself.
class ButtonGrid final : public QWidget, public GridView {
    Q_OBJECT
public:
    // Shows a context menu at a point of the screen; the id chosen, or 0.
    using PopupRunner = std::function<int(const std::vector<MenuItem>&, QPoint)>;
    // The page item of the menu bar under a point of the screen, or -1.
    using PageLocator = std::function<int(QPoint)>;

    ButtonGrid(ConsoleGrid& grid, GridGestures& gestures, const GridFonts& fonts,
               QWidget* parent = nullptr);
    ~ButtonGrid() override;

    const GridGeometry& geometry() const { return geometry_; }
    const GridFonts& fonts() const { return fonts_; }
    void SetFonts(const GridFonts& fonts);
    // The header is at least as high as the menu bar.
    void SetMenuHeight(int height);
    void SetPageLocator(PageLocator locator) { pageLocator_ = std::move(locator); }
    void SetPopupRunner(PopupRunner runner) { popupRunner_ = std::move(runner); }
    // Where the fields 0..14 of the status line lie now.
    std::vector<QRect> ButtonInfoRects() const;

    // GridView
    void InvalidateButton(int button) override;
    void InvalidateTime(int button) override;
    void InvalidateButtonInfo() override;
    void InvalidateStatusField(int field) override;
    void InvalidateGrid() override;
    void InvalidateHeader() override;
    void InvalidateHint() override;
    void SetWaitCursor(bool wait) override;
    bool IsModalDialogOpen() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // Tab belongs to the cue and the block band, not to focus changes.
    bool focusNextPrevChild(bool) override { return false; }

private:
    void Relayout();
    // The button under a point of the page shown, -1 for none.
    int ButtonAt(QPoint point) const;
    void PaintStatusLine(QPainter& painter, const QRect& dirty);
    void UpdateBand(QPoint to);
    void RightPress(QMouseEvent* event);

    ConsoleGrid& grid_;
    GridGestures& gestures_;
    GridFonts fonts_;
    GridGeometry geometry_;
    int menuHeight_ = 0;
    QTimer poll_;
    QRect infoArea_;  // what fields 0..14 covered when last laid out
    QPoint bandStart_;
    QRect band_;
    PageLocator pageLocator_;
    PopupRunner popupRunner_;
    ConsoleKeyFilter keys_;
};

}  // namespace tamberline

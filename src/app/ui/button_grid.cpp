#include "app/ui/button_grid.h"

#include <QApplication>
#include <QFontMetrics>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>

#include "app/grid_gestures.h"
#include "app/ui/grid_painter.h"
#include "app/ui/menu_binder.h"

namespace tamberline {

namespace {

// How often the page's clocks are compared with run control.
constexpr int kPollMs = 50;

PointerKeys KeysOf(Qt::KeyboardModifiers modifiers) {
    return {modifiers.testFlag(Qt::ShiftModifier), modifiers.testFlag(Qt::ControlModifier),
            modifiers.testFlag(Qt::AltModifier)};
}

QRect Union(const std::vector<QRect>& rects) {
    QRect all;
    for (const QRect& r : rects) {
        all = all.united(r);
    }
    return all;
}

// A dropped URL as the path the drop rules expect: a file of this machine,
// or a share path for anything that lives elsewhere.
std::string DroppedPath(const QUrl& url) {
    if (url.isLocalFile()) {
        return url.toLocalFile().toStdString();
    }
    return ("//" + url.host() + url.path()).toStdString();
}

}  // namespace

ButtonGrid::ButtonGrid(ConsoleGrid& grid, GridGestures& gestures, const GridFonts& fonts,
                       QWidget* parent)
    : QWidget(parent), grid_(grid), gestures_(gestures), fonts_(fonts), keys_(*this, gestures) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setAcceptDrops(true);
    setFocusPolicy(Qt::StrongFocus);
    popupRunner_ = [this](const std::vector<MenuItem>& items, QPoint at) {
        return ExecPopup(items, at, this, fonts_.menu);
    };
    grid_.SetView(this);
    Relayout();
    poll_.setInterval(kPollMs);
    connect(&poll_, &QTimer::timeout, this, [this] { grid_.PollRunStates(); });
    poll_.start();
}

ButtonGrid::~ButtonGrid() {
    grid_.SetView(nullptr);
}

void ButtonGrid::SetFonts(const GridFonts& fonts) {
    fonts_ = fonts;
    Relayout();
}

void ButtonGrid::SetMenuHeight(int height) {
    if (height != menuHeight_) {
        menuHeight_ = height;
        Relayout();
    }
}

void ButtonGrid::Relayout() {
    const int hintWidth =
        QFontMetrics(fonts_.time).horizontalAdvance(QStringLiteral("running button"));
    geometry_ = LayoutGrid(size(), menuHeight_, hintWidth);
    infoArea_ = geometry_.StatusArea();
    update();
}

void ButtonGrid::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Relayout();
}

std::vector<QRect> ButtonGrid::ButtonInfoRects() const {
    const QFontMetrics metrics(fonts_.status);
    std::vector<int> widths;
    for (int field = 0; field < kButtonInfoFields; ++field) {
        const std::string& text = grid_.StatusField(field);
        widths.push_back(text.empty() ? 0
                                      : metrics.horizontalAdvance(QString::fromStdString(text)));
    }
    return FlowStatusFields(geometry_, widths);
}

int ButtonGrid::ButtonAt(QPoint point) const {
    const int slot = geometry_.SlotAt(point);
    return slot < 0 ? -1 : grid_.ButtonOfSlot(slot);
}

void ButtonGrid::InvalidateButton(int button) {
    update(geometry_.ButtonRect(button));
}

void ButtonGrid::InvalidateTime(int button) {
    update(geometry_.TimeRect(button));
}

void ButtonGrid::InvalidateButtonInfo() {
    const QRect now = Union(ButtonInfoRects());
    update(infoArea_.united(now));
    infoArea_ = now;
}

void ButtonGrid::InvalidateStatusField(int field) {
    update(geometry_.FixedFieldRect(field));
}

void ButtonGrid::InvalidateGrid() {
    update(geometry_.GridRect());
}

void ButtonGrid::InvalidateHeader() {
    update(geometry_.HeaderRect());
}

void ButtonGrid::InvalidateHint() {
    update(geometry_.hintBox);
}

void ButtonGrid::SetWaitCursor(bool wait) {
    if (wait) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

bool ButtonGrid::IsModalDialogOpen() const {
    return QApplication::activeModalWidget() != nullptr;
}

void ButtonGrid::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect dirty = event->rect();
    painter.fillRect(dirty, ToQColor(kGapColour));
    if (dirty.intersects(geometry_.HeaderRect())) {
        PaintHeader(painter, geometry_.HeaderRect(), grid_.headerMessage(), grid_.Title(), fonts_);
    }
    if (!grid_.sessionActive()) {
        return;
    }
    for (int slot = 0; slot < kButtonsPerPage; ++slot) {
        const int button = grid_.ButtonOfSlot(slot);
        if (dirty.intersects(geometry_.ButtonRect(button))) {
            PaintButton(painter, geometry_, grid_, fonts_, button);
        }
    }
    const BlockSelection& selection = grid_.selection();
    if (selection.selected && selection.page == grid_.currentPage()) {
        const QRect cells = selection.cells;
        PaintBlockBand(painter, geometry_.ButtonRect(cells.top() * kGridColumns + cells.left())
                                    .united(geometry_.ButtonRect(cells.bottom() * kGridColumns +
                                                                 cells.right())));
    }
    if (gestures_.drag() == GridGestures::Drag::kBlock && !band_.isEmpty()) {
        PaintBlockBand(painter, band_);
    }
    if (dirty.intersects(geometry_.hintBox)) {
        PaintHint(painter, geometry_.hintBox, grid_.touchScreen(), grid_.hintPressed(),
                  fonts_.time);
    }
    PaintStatusLine(painter, dirty);
}

void ButtonGrid::PaintStatusLine(QPainter& painter, const QRect& dirty) {
    const std::vector<QRect> rects = ButtonInfoRects();
    for (int field = 0; field < kButtonInfoFields; ++field) {
        const QRect& rect = rects[static_cast<size_t>(field)];
        if (!rect.isNull() && dirty.intersects(rect)) {
            PaintStatusField(painter, rect, grid_.StatusField(field),
                             {true, field == 0 && grid_.outputAlert()}, fonts_.status);
        }
    }
    for (int field = kButtonInfoFields; field < kStatusFieldCount; ++field) {
        const QRect rect = geometry_.FixedFieldRect(field);
        if (!grid_.StatusField(field).empty() && dirty.intersects(rect)) {
            PaintStatusField(painter, rect, grid_.StatusField(field), {}, fonts_.status);
        }
    }
}

void ButtonGrid::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::RightButton) {
        RightPress(event);
        return;
    }
    if (event->button() != Qt::LeftButton) {
        return;
    }
    if (geometry_.hintBox.contains(at)) {
        gestures_.HintPress();
        return;
    }
    gestures_.LeftPress(ButtonAt(at), KeysOf(event->modifiers()));
    switch (gestures_.drag()) {
        case GridGestures::Drag::kMove: setCursor(Qt::DragMoveCursor); break;
        case GridGestures::Drag::kCopy: setCursor(Qt::DragCopyCursor); break;
        case GridGestures::Drag::kBlock:
            bandStart_ = at;
            band_ = QRect();
            break;
        case GridGestures::Drag::kNone: break;
    }
}

void ButtonGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
}

void ButtonGrid::RightPress(QMouseEvent* event) {
    const int button = ButtonAt(event->position().toPoint());
    const ContextRequest request = gestures_.RightPress(button, KeysOf(event->modifiers()));
    std::vector<MenuItem> items;
    if (request.kind == ContextRequest::Kind::kButton) {
        items = ButtonContextMenu(request.button, IsAssigned(grid_.Record(request.button)),
                                  gestures_.buttonClipFilled());
    } else if (request.kind == ContextRequest::Kind::kBlock) {
        items = BlockContextMenu(gestures_.blockClipFilled());
    } else {
        return;
    }
    if (const int id = popupRunner_(items, event->globalPosition().toPoint())) {
        gestures_.RunContextCommand(id, request.button);
    }
}

void ButtonGrid::UpdateBand(QPoint to) {
    const QRect old = band_;
    band_ = QRect(bandStart_, to).normalized().intersected(geometry_.GridRect());
    update(old.united(band_).adjusted(-2, -2, 2, 2));
}

void ButtonGrid::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const GridGestures::Drag drag = gestures_.drag();
    if (drag == GridGestures::Drag::kBlock) {
        UpdateBand(at);
        return;
    }
    if ((drag == GridGestures::Drag::kMove || drag == GridGestures::Drag::kCopy) && pageLocator_) {
        const int page = pageLocator_(event->globalPosition().toPoint());
        if (page >= 0) {
            gestures_.DragOverPage(page);
        }
    }
    gestures_.PointerMoved(ButtonAt(at));
}

void ButtonGrid::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const QPoint at = event->position().toPoint();
    if (grid_.hintPressed()) {
        gestures_.HintRelease(geometry_.hintBox.contains(at));
        return;
    }
    if (gestures_.drag() == GridGestures::Drag::kBlock) {
        UpdateBand(at);
        gestures_.FinishBlockBand(geometry_.CellsTouching(band_));
        update(band_.adjusted(-2, -2, 2, 2));
        band_ = QRect();
        return;
    }
    const bool overGrid = rect().contains(at) && geometry_.GridRect().contains(at);
    gestures_.LeftRelease(ButtonAt(at), overGrid);
    unsetCursor();
}

void ButtonGrid::focusOutEvent(QFocusEvent* event) {
    // A context menu takes the focus while a right press is handled; only
    // a real loss of the window ends what the pointer was doing.
    if (event->reason() == Qt::ActiveWindowFocusReason) {
        gestures_.CancelPointer();
        band_ = QRect();
        unsetCursor();
    }
    QWidget::focusOutEvent(event);
}

void ButtonGrid::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void ButtonGrid::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void ButtonGrid::dropEvent(QDropEvent* event) {
    std::vector<std::string> paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        paths.push_back(DroppedPath(url));
    }
    event->acceptProposedAction();
    gestures_.DropFiles(paths, ButtonAt(event->position().toPoint()));
}

}  // namespace tamberline

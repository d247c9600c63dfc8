#pragma once

#include <QColor>
#include <QRect>
#include <string>

#include "app/button_face.h"

class QFont;
class QPainter;

namespace tamberline {

class ConsoleGrid;
struct GridFonts;
struct GridGeometry;

inline QColor ToQColor(ColorRef c) {
    return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}

enum class FrameStyle { kRaised, kSunken };

// A button, the hint box: white and dark grey edges outside, grey inside;
// sunken swaps them.
void DrawFrame(QPainter& painter, const QRect& rect, FrameStyle style);

// One button of the page shown: face, caption, frame and time field.
void PaintButton(QPainter& painter, const GridGeometry& geometry, const ConsoleGrid& grid,
                 const GridFonts& fonts, int button);

// The hint box: what a click on a running button does.
void PaintHint(QPainter& painter, const QRect& box, bool touchScreen, bool pressed,
               const QFont& font);
std::string HintText(bool touchScreen);

struct StatusFieldLook {
    bool buttonField = false;  // fields 0..14: centred, sunken border
    bool alert = false;        // white on red
};
void PaintStatusField(QPainter& painter, const QRect& rect, const std::string& text,
                      StatusFieldLook look, const QFont& font);

// The header band: the transient message at the top left, the title in
// the middle.
void PaintHeader(QPainter& painter, const QRect& header, const std::string& message,
                 const std::string& title, const GridFonts& fonts);

// A block selection or the band being dragged: a black diagonal hatch.
void PaintBlockBand(QPainter& painter, const QRect& rect);

}  // namespace tamberline

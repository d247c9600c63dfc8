#include "app/ui/grid_painter.h"

#include <QFontMetrics>
#include <QPainter>

#include "app/console_grid.h"
#include "app/grid_geometry.h"
#include "app/ui/grid_fonts.h"

namespace tamberline {

namespace {

constexpr int kMessagePadding = 8;

QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Top and left edges in one colour, bottom and right in the other.
void Draw3dRect(QPainter& painter, const QRect& r, ColorRef topLeft, ColorRef bottomRight) {
    painter.setPen(ToQColor(topLeft));
    painter.drawLine(r.topLeft(), r.topRight());
    painter.drawLine(r.topLeft(), r.bottomLeft());
    painter.setPen(ToQColor(bottomRight));
    painter.drawLine(r.bottomLeft(), r.bottomRight());
    painter.drawLine(r.topRight(), r.bottomRight());
}

QString CaptionText(const ButtonRecord& record) {
    QString text = ToQString(CaptionOf(record));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

void PaintTime(QPainter& painter, const QRect& field, const TimeFieldLook& look,
               const QFont& font) {
    const QRect inner = field.adjusted(look.inset, look.inset, -look.inset, -look.inset);
    painter.fillRect(inner, ToQColor(look.background));
    painter.setFont(font);
    painter.setPen(ToQColor(look.text));
    painter.drawText(inner, Qt::AlignCenter | Qt::TextSingleLine, ToQString(look.caption));
    if (look.cueFrame) {
        painter.setPen(ToQColor(look.cueFrameColour));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(field.adjusted(0, 0, -1, -1));
    }
}

}  // namespace

void DrawFrame(QPainter& painter, const QRect& rect, FrameStyle style) {
    const QRect outer = rect.adjusted(0, 0, -1, -1);
    const QRect inner = outer.adjusted(1, 1, -1, -1);
    if (style == FrameStyle::kRaised) {
        Draw3dRect(painter, outer, kWhite, kShadow);
        Draw3dRect(painter, inner, kGapColour, kDarkGrey);
    } else {
        Draw3dRect(painter, outer, kShadow, kWhite);
        Draw3dRect(painter, inner, kDarkGrey, kGapColour);
    }
}

void PaintButton(QPainter& painter, const GridGeometry& geometry, const ConsoleGrid& grid,
                 const GridFonts& fonts, int button) {
    const QRect whole = geometry.ButtonRect(button);
    painter.fillRect(whole, ToQColor(kGapColour));
    const QRect face = whole.adjusted(2, 2, -3, -3);
    const ButtonRecord& record = grid.Record(button);
    if (IsAssigned(record)) {
        painter.fillRect(face, ToQColor(record.colour & 0xFFFFFF));
        const QRect captionRect = face.adjusted(8, 2, -6, -3);
        painter.setFont(fonts.caption);
        painter.setPen(ToQColor(TextColour(record.colour)));
        painter.save();
        painter.setClipRect(captionRect);
        painter.drawText(captionRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                         CaptionText(record));
        painter.restore();
        const bool holdsCue = grid.cueVisible() && grid.cueIndex() == button;
        PaintTime(painter, geometry.TimeRect(button),
                  TimeLook(record, grid.RunView(button), holdsCue), fonts.time);
    }
    DrawFrame(painter, face,
              grid.pressedButton() == button ? FrameStyle::kSunken : FrameStyle::kRaised);
}

std::string HintText(bool touchScreen) {
    return touchScreen ? "Left-click to\nstop a\nrunning button"
                       : "Left-click to\nrestart a\nrunning button";
}

void PaintHint(QPainter& painter, const QRect& box, bool touchScreen, bool pressed,
               const QFont& font) {
    painter.fillRect(box, ToQColor(kGapColour));
    painter.setFont(font);
    painter.setPen(ToQColor(kBlack));
    painter.drawText(box, Qt::AlignCenter, ToQString(HintText(touchScreen)));
    DrawFrame(painter, box, pressed ? FrameStyle::kSunken : FrameStyle::kRaised);
}

void PaintStatusField(QPainter& painter, const QRect& rect, const std::string& text,
                      StatusFieldLook look, const QFont& font) {
    painter.fillRect(rect, ToQColor(look.alert ? kRed : kGapColour));
    painter.setFont(font);
    painter.setPen(ToQColor(look.alert ? kWhite : kBlack));
    const Qt::Alignment align =
        look.buttonField ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter;
    painter.drawText(rect, align | Qt::TextSingleLine, ToQString(text));
    if (look.buttonField) {
        Draw3dRect(painter, rect.adjusted(0, 0, -1, -1), kDarkGrey, kWhite);
    }
}

void PaintHeader(QPainter& painter, const QRect& header, const std::string& message,
                 const std::string& title, const GridFonts& fonts) {
    painter.fillRect(header, ToQColor(kGapColour));
    painter.setFont(fonts.menu);
    painter.setPen(ToQColor(kBlack));
    painter.drawText(header, Qt::AlignCenter | Qt::TextSingleLine, ToQString(title));
    if (message.empty()) {
        return;
    }
    const QString text = ToQString(message);
    const QFontMetrics metrics(fonts.time);
    const QSize size(metrics.horizontalAdvance(text) + kMessagePadding,
                     metrics.height() + kMessagePadding);
    const QRect box(QPoint(header.left() + 2, header.top() + (header.height() - size.height()) / 2),
                    size);
    painter.fillRect(box, ToQColor(kRed));
    painter.setFont(fonts.time);
    painter.setPen(ToQColor(kWhite));
    painter.drawText(box, Qt::AlignCenter | Qt::TextSingleLine, text);
    DrawFrame(painter, box, FrameStyle::kSunken);
}

void PaintBlockBand(QPainter& painter, const QRect& rect) {
    painter.save();
    painter.setPen(QPen(Qt::black, 2));
    painter.setBrush(QBrush(Qt::black, Qt::BDiagPattern));
    painter.drawRect(rect.adjusted(1, 1, -1, -1));
    painter.restore();
}

}  // namespace tamberline

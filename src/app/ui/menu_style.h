#pragma once

#include <QProxyStyle>

namespace tamberline {

// The look of the console's menus: black on grey, the selected item white
// on orange-blue, greyed items dark grey, the page shown framed in red.
// Alt alone never opens the menu bar.
class ConsoleMenuStyle final : public QProxyStyle {
    Q_OBJECT
public:
    ConsoleMenuStyle();

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override;
};

// The style every console menu uses; it lives as long as the application.
ConsoleMenuStyle* MenuStyle();

}  // namespace tamberline

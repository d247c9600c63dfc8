#include "app/ui/menu_style.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenuBar>
#include <QPainter>
#include <QPointer>
#include <QStyleOptionMenuItem>

#include "app/button_face.h"
#include "app/console_menu.h"
#include "app/ui/grid_painter.h"

namespace tamberline {

namespace {

constexpr ColorRef kSelectedBackground = 0xFF8000;
constexpr int kCheckedFrameWidth = 2;
constexpr int kPopupExtraWidth = 24;
constexpr int kBarItemPadding = 12;
// The " Ports " title is measured with every letter on, so it never jumps.
constexpr const char* kWidestPortsTitle = " Ports SMGP ";

bool IsPortsTitle(const QString& text) {
    return text.startsWith(QStringLiteral(" Ports "));
}

struct ItemColours {
    QColor background;
    QColor text;
};

ItemColours ColoursOf(const QStyleOption* option) {
    const bool enabled = option->state & QStyle::State_Enabled;
    const bool selected = option->state & QStyle::State_Selected;
    if (!enabled) {
        return {ToQColor(kGapColour), ToQColor(kDarkGrey)};
    }
    if (selected) {
        return {ToQColor(kSelectedBackground), ToQColor(kWhite)};
    }
    return {ToQColor(kGapColour), ToQColor(kBlack)};
}

void DrawBarItem(const QStyleOptionMenuItem& item, QPainter* painter, const QWidget* widget) {
    const ItemColours colours = ColoursOf(&item);
    painter->fillRect(item.rect, colours.background);
    const auto* bar = qobject_cast<const QMenuBar*>(widget);
    const QAction* action = bar ? bar->actionAt(item.rect.center()) : nullptr;
    const int id = action ? action->data().toInt() : 0;
    if (action && action->isCheckable() && action->isChecked()) {
        painter->setPen(QPen(ToQColor(kRed), kCheckedFrameWidth));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(item.rect.adjusted(1, 1, -1, -1));
    }
    painter->setPen(colours.text);
    painter->setFont(item.font);
    const Qt::Alignment align =
        id == cmd::kPortsMenu ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter;
    painter->drawText(item.rect.adjusted(kBarItemPadding / 2, 0, 0, 0), align | Qt::TextSingleLine,
                      item.text);
}

void DrawPopupItem(const QStyleOptionMenuItem& item, QPainter* painter) {
    if (item.menuItemType == QStyleOptionMenuItem::Separator) {
        painter->fillRect(item.rect, ToQColor(kGapColour));
        const int y = item.rect.center().y();
        painter->setPen(ToQColor(kDarkGrey));
        painter->drawLine(item.rect.left() + 2, y, item.rect.right() - 2, y);
        painter->setPen(ToQColor(kWhite));
        painter->drawLine(item.rect.left() + 2, y + 1, item.rect.right() - 2, y + 1);
        return;
    }
    const ItemColours colours = ColoursOf(&item);
    painter->fillRect(item.rect, colours.background);
    painter->setPen(colours.text);
    painter->setFont(item.font);
    // Text after a space as wide as the item is high; the check mark and
    // the submenu arrow use that space and the right end.
    const int indent = item.rect.height();
    if (item.checked) {
        painter->drawText(QRect(item.rect.left(), item.rect.top(), indent, item.rect.height()),
                          Qt::AlignCenter, QStringLiteral("\u2713"));
    }
    painter->drawText(item.rect.adjusted(indent, 0, 0, 0),
                      Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, item.text);
    if (item.menuItemType == QStyleOptionMenuItem::SubMenu) {
        painter->drawText(item.rect.adjusted(0, 0, -6, 0), Qt::AlignRight | Qt::AlignVCenter,
                          QStringLiteral("\u25B8"));
    }
}

}  // namespace

ConsoleMenuStyle::ConsoleMenuStyle() = default;

void ConsoleMenuStyle::drawControl(ControlElement element, const QStyleOption* option,
                                   QPainter* painter, const QWidget* widget) const {
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    switch (element) {
        case CE_MenuBarItem:
            if (item) {
                DrawBarItem(*item, painter, widget);
                return;
            }
            break;
        case CE_MenuItem:
            if (item) {
                DrawPopupItem(*item, painter);
                return;
            }
            break;
        case CE_MenuBarEmptyArea:
        case CE_MenuEmptyArea: painter->fillRect(option->rect, ToQColor(kGapColour)); return;
        default: break;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

void ConsoleMenuStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                     QPainter* painter, const QWidget* widget) const {
    switch (element) {
        case PE_PanelMenuBar:
        case PE_PanelMenu: painter->fillRect(option->rect, ToQColor(kGapColour)); return;
        case PE_FrameMenu: DrawFrame(*painter, option->rect, FrameStyle::kRaised); return;
        default: QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
}

QSize ConsoleMenuStyle::sizeFromContents(ContentsType type, const QStyleOption* option,
                                         const QSize& size, const QWidget* widget) const {
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (!item) {
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    }
    const QFontMetrics metrics(item->font);
    const int height = metrics.height() + 6;
    if (type == CT_MenuBarItem) {
        const QString text =
            IsPortsTitle(item->text) ? QString::fromLatin1(kWidestPortsTitle) : item->text;
        return {metrics.horizontalAdvance(text.isEmpty() ? QStringLiteral("Test") : text) +
                    kBarItemPadding,
                height};
    }
    if (type == CT_MenuItem) {
        if (item->menuItemType == QStyleOptionMenuItem::Separator) {
            return {size.width(), 6};
        }
        return {height + metrics.horizontalAdvance(item->text) + kPopupExtraWidth, height};
    }
    return QProxyStyle::sizeFromContents(type, option, size, widget);
}

int ConsoleMenuStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                                QStyleHintReturn* returnData) const {
    if (hint == SH_MenuBar_AltKeyNavigation) {
        return 0;
    }
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

int ConsoleMenuStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                                  const QWidget* widget) const {
    switch (metric) {
        case PM_MenuBarItemSpacing:
        case PM_MenuBarHMargin:
        case PM_MenuBarVMargin:
        case PM_MenuBarPanelWidth: return 0;
        case PM_MenuPanelWidth: return 2;
        default: return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

ConsoleMenuStyle* MenuStyle() {
    // Widgets do not own their style, so it must outlive every menu.
    static QPointer<ConsoleMenuStyle> style;
    if (!style) {
        style = new ConsoleMenuStyle;
        style->setParent(QCoreApplication::instance());
    }
    return style;
}

}  // namespace tamberline

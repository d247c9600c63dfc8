#include "app/ui/menu_binder.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "app/ui/menu_style.h"
#include "session/button_record.h"

namespace tamberline {

namespace {

QString ToQString(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void Apply(QAction& action, const MenuItem& item) {
    action.setText(ToQString(item.text));
    action.setEnabled(item.enabled);
    action.setVisible(item.visible);
    action.setCheckable(item.checked || item.checkStyle == MenuItem::CheckStyle::kFrame);
    action.setChecked(item.checked);
}

}  // namespace

MenuBinder::MenuBinder(ConsoleMenu& menu, QMenuBar& bar) : menu_(menu), bar_(bar) {
    bar_.setStyle(MenuStyle());
    for (const MenuItem& item : menu_.bar()) {
        Add(item, &bar_);
    }
    menu_.SetListener([this](int id) { Update(id); });
}

MenuBinder::~MenuBinder() {
    menu_.SetListener(nullptr);
}

void MenuBinder::Add(const MenuItem& item, QWidget* into) {
    if (item.IsSeparator()) {
        auto* separator = new QAction(into);
        separator->setSeparator(true);
        into->addAction(separator);
        return;
    }
    QAction* action = nullptr;
    if (item.IsPopup()) {
        auto* popup = new QMenu(into);
        popup->setStyle(MenuStyle());
        menus_.push_back(popup);
        for (const MenuItem& child : item.items) {
            Add(child, popup);
        }
        action = popup->menuAction();
    } else {
        action = new QAction(into);
        const int id = item.id;
        connect(action, &QAction::triggered, this, [this, id] { emit CommandTriggered(id); });
    }
    action->setData(item.id);
    Apply(*action, item);
    into->addAction(action);
    actions_[item.id] = action;
}

void MenuBinder::Update(int id) {
    const MenuItem* item = menu_.Find(id);
    QAction* action = Action(id);
    if (item && action) {
        Apply(*action, *item);
        bar_.update();
    }
}

QAction* MenuBinder::Action(int id) const {
    const auto found = actions_.find(id);
    return found == actions_.end() ? nullptr : found->second;
}

void MenuBinder::SetMenuFont(const QFont& font) {
    bar_.setFont(font);
    for (QMenu* menu : menus_) {
        menu->setFont(font);
    }
    bar_.adjustSize();
}

int MenuBinder::PageAt(QPoint globalPoint) const {
    const QAction* action = bar_.actionAt(bar_.mapFromGlobal(globalPoint));
    const int id = action ? action->data().toInt() : 0;
    return id >= cmd::kPage1 && id < cmd::kPage1 + kPageCount ? id - cmd::kPage1 : -1;
}

int ExecPopup(const std::vector<MenuItem>& items, QPoint globalPoint, QWidget* parent,
              const QFont& font) {
    QMenu popup(parent);
    popup.setStyle(MenuStyle());
    popup.setFont(font);
    for (const MenuItem& item : items) {
        QAction* action = popup.addAction(ToQString(item.text));
        action->setData(item.id);
        action->setEnabled(item.enabled);
    }
    const QAction* chosen = popup.exec(globalPoint);
    return chosen ? chosen->data().toInt() : 0;
}

}  // namespace tamberline

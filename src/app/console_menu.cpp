#include "app/console_menu.h"

#include <cstdio>

#include "session/button_record.h"

namespace tamberline {

namespace {

MenuItem Command(int id, const char* text, bool built = true) {
    MenuItem item;
    item.id = id;
    item.text = text;
    item.enabled = built;
    return item;
}

MenuItem Separator() {
    return {};
}

MenuItem Popup(int id, const char* text, std::vector<MenuItem> items) {
    MenuItem item = Command(id, text);
    item.items = std::move(items);
    return item;
}

// The switches of one trigger port; greyed until the port is built.
MenuItem PortPopup(int id, const char* text, int on, int off, int setup) {
    MenuItem onItem = Command(on, "On", false);
    MenuItem offItem = Command(off, "Off", false);
    offItem.checked = true;
    return Popup(id, text, {onItem, offItem, Command(setup, "Setup", false)});
}

const MenuItem* FindIn(const std::vector<MenuItem>& items, int id) {
    for (const MenuItem& item : items) {
        if (item.id == id && !item.IsSeparator()) {
            return &item;
        }
        if (const MenuItem* found = FindIn(item.items, id)) {
            return found;
        }
    }
    return nullptr;
}

}  // namespace

std::string PageText(int page) {
    return " Page " + std::to_string(page + 1) + " ";
}

ConsoleMenu::ConsoleMenu() {
    std::vector<MenuItem> recent;
    for (int i = 0; i < kRecentItems; ++i) {
        MenuItem item = Command(cmd::kRecent1 + i, "");
        item.visible = false;
        recent.push_back(item);
    }
    recent.push_back(Command(cmd::kClearList, "Clear list"));

    // Commands of parts still to come are present and greyed.
    bar_.push_back(Popup(
        cmd::kFileMenu, "File",
        {Command(cmd::kNew, "New"),
         Command(cmd::kOpen, "Open"),
         Command(cmd::kSave, "Save"),
         Command(cmd::kSaveAs, "Save As"),
         Separator(),
         Command(cmd::kReadArchive, "Read Archive"),
         Command(cmd::kWriteArchive, "Write Archive"),
         Command(cmd::kCloneSession, "Clone Session"),
         Separator(),
         Popup(cmd::kRecentMenu, "Recent Sessions", recent),
         Command(cmd::kUndo, "Undo", false),
         Separator(),
         Command(cmd::kAsio, "ASIO"),
         Command(cmd::kConnect, "Connect", false),
         Command(cmd::kCdRipper, "CD Ripper"),
         Command(cmd::kCdBurner, "CD Burner"),
         Command(cmd::kSonglist, "Songlist"),
         Popup(cmd::kFontsMenu, "Set fonts",
               {Command(cmd::kMenuFont, "Menu font"), Command(cmd::kButtonFont, "Button font")}),
         Separator(),
         Command(cmd::kExit, "Exit")}));
    bar_.push_back(Popup(
        cmd::kPortsMenu, " Ports      ",
        {PortPopup(cmd::kSmpteMenu, "SMPTE", cmd::kSmpteOn, cmd::kSmpteOff, cmd::kSmpteSetup),
         PortPopup(cmd::kMidiMenu, "Midi", cmd::kMidiOn, cmd::kMidiOff, cmd::kMidiSetup),
         PortPopup(cmd::kGameMenu, "Game ports  ", cmd::kGameOn, cmd::kGameOff, cmd::kGameSetup),
         PortPopup(cmd::kPbusMenu, "P-Bus", cmd::kPbusOn, cmd::kPbusOff, cmd::kPbusSetup)}));
    for (int page = 0; page < kPageCount; ++page) {
        MenuItem item = Command(cmd::kPage1 + page, PageText(page).c_str());
        item.checkStyle = MenuItem::CheckStyle::kFrame;
        item.checked = page == 0;
        bar_.push_back(item);
    }
    bar_.push_back(
        Popup(cmd::kHelpMenu, "Help",
              {Command(cmd::kHelp, "Help"), Command(cmd::kAbout, "About", false), Separator(),
               Command(cmd::kSessionInfo, "Session"), Command(cmd::kLogs, "Logs")}));
}

const MenuItem* ConsoleMenu::Find(int id) const {
    return FindIn(bar_, id);
}

MenuItem* ConsoleMenu::FindItem(int id) {
    return const_cast<MenuItem*>(FindIn(bar_, id));
}

void ConsoleMenu::Changed(int id) {
    if (listener_) {
        listener_(id);
    }
}

void ConsoleMenu::SetEnabled(int id, bool enabled) {
    if (MenuItem* item = FindItem(id); item && item->enabled != enabled) {
        item->enabled = enabled;
        Changed(id);
    }
}

void ConsoleMenu::SetChecked(int id, bool checked) {
    if (MenuItem* item = FindItem(id); item && item->checked != checked) {
        item->checked = checked;
        Changed(id);
    }
}

void ConsoleMenu::SetText(int id, const std::string& text) {
    if (MenuItem* item = FindItem(id); item && item->text != text) {
        item->text = text;
        Changed(id);
    }
}

void ConsoleMenu::SetModified(bool modified) {
    SetText(cmd::kFileMenu, modified ? "File*" : "File");
    SetEnabled(cmd::kUndo, modified);
}

void ConsoleMenu::SetRecentSessions(const std::array<std::string, kRecentItems>& paths) {
    for (int i = 0; i < kRecentItems; ++i) {
        MenuItem* item = FindItem(cmd::kRecent1 + i);
        const std::string& path = paths[static_cast<size_t>(i)];
        if (item->text != path || item->visible == path.empty()) {
            item->text = path;
            item->visible = !path.empty();
            Changed(item->id);
        }
    }
}

void ConsoleMenu::SetCurrentPage(int page) {
    for (int p = 0; p < kPageCount; ++p) {
        SetChecked(cmd::kPage1 + p, p == page);
    }
}

std::vector<MenuItem> ButtonContextMenu(int button, bool assigned, bool clipFilled) {
    char setup[32];
    std::snprintf(setup, sizeof setup, "Setup Button %d", button + 1);
    return {Command(cmd::kSetupButton, setup),
            Command(cmd::kReset, "Reset", assigned),
            Command(cmd::kRelease, "Release", assigned),
            Command(cmd::kClearRunTime, "Clear run time", assigned),
            Command(cmd::kClearAllRunTimes, "Clear all run times"),
            Command(cmd::kCut, "Cut"),
            Command(cmd::kCopy, "Copy"),
            Command(cmd::kPaste, "Paste", clipFilled),
            Command(cmd::kDelete, "Delete", assigned),
            Command(cmd::kEdit, "Edit")};
}

std::vector<MenuItem> BlockContextMenu(bool blockClipFilled) {
    return {Command(cmd::kBlockAssign, "Block assign"), Command(cmd::kBlockCut, "Cut"),
            Command(cmd::kBlockCopy, "Copy"), Command(cmd::kBlockPaste, "Paste", blockClipFilled),
            Command(cmd::kBlockDelete, "Delete")};
}

}  // namespace tamberline

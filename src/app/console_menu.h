#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace tamberline {

// Command ids of the menus.
namespace cmd {
inline constexpr int kNew = 57600;
inline constexpr int kOpen = 57601;
inline constexpr int kSave = 57603;
inline constexpr int kSaveAs = 32778;
inline constexpr int kReadArchive = 32779;
inline constexpr int kWriteArchive = 32780;
inline constexpr int kCloneSession = 32784;
inline constexpr int kRecent1 = 32786;  // .. 32791
inline constexpr int kClearList = 32792;
inline constexpr int kUndo = 32781;
inline constexpr int kAsio = 32785;
inline constexpr int kConnect = 32793;
inline constexpr int kCdRipper = 32794;
inline constexpr int kCdBurner = 32795;
inline constexpr int kSonglist = 32870;
inline constexpr int kMenuFont = 32881;
inline constexpr int kButtonFont = 32882;
inline constexpr int kExit = 32782;
inline constexpr int kSmpteOn = 32824;
inline constexpr int kSmpteOff = 32822;
inline constexpr int kSmpteSetup = 32823;
inline constexpr int kMidiOn = 32770;
inline constexpr int kMidiOff = 32771;
inline constexpr int kMidiSetup = 32879;
inline constexpr int kGameOn = 32825;
inline constexpr int kGameOff = 32826;
inline constexpr int kGameSetup = 32878;
inline constexpr int kPbusOn = 32772;
inline constexpr int kPbusOff = 32773;
inline constexpr int kPbusSetup = 32774;
inline constexpr int kPage1 = 32801;  // .. 32808
inline constexpr int kHelp = 32775;
inline constexpr int kAbout = 32776;
inline constexpr int kSessionInfo = 32783;
inline constexpr int kLogs = 32883;

// The button context menu.
inline constexpr int kSetupButton = 36901;
inline constexpr int kReset = 36902;
inline constexpr int kRelease = 36903;
inline constexpr int kClearRunTime = 36894;
inline constexpr int kClearAllRunTimes = 36895;
inline constexpr int kCut = 36904;
inline constexpr int kCopy = 36905;
inline constexpr int kPaste = 36906;
inline constexpr int kDelete = 36907;
inline constexpr int kEdit = 36908;

// The block context menu.
inline constexpr int kBlockAssign = 36896;
inline constexpr int kBlockCut = 36897;
inline constexpr int kBlockCopy = 36898;
inline constexpr int kBlockPaste = 36899;
inline constexpr int kBlockDelete = 36900;

// The menu bar's popups, named so that their titles can change.
inline constexpr int kFileMenu = 1;
inline constexpr int kPortsMenu = 2;
inline constexpr int kRecentMenu = 3;
inline constexpr int kFontsMenu = 4;
inline constexpr int kSmpteMenu = 5;
inline constexpr int kMidiMenu = 6;
inline constexpr int kGameMenu = 7;
inline constexpr int kPbusMenu = 8;
inline constexpr int kHelpMenu = 9;
}  // namespace cmd

inline constexpr int kRecentItems = 6;

struct MenuItem {
    // How a checked item shows it: a check mark (port On/Off) or a red
    // frame (the page shown).
    enum class CheckStyle { kMark, kFrame };

    int id = 0;  // 0 for a separator
    std::string text;
    bool enabled = true;
    bool checked = false;
    bool visible = true;
    CheckStyle checkStyle = CheckStyle::kMark;
    std::vector<MenuItem> items;  // a popup's items

    bool IsSeparator() const { return id == 0; }
    bool IsPopup() const { return !items.empty(); }
};

// The main menu as data: every command with its id, text and state. The
// window shows it; the console changes it.
class ConsoleMenu {
public:
    ConsoleMenu();

    const std::vector<MenuItem>& bar() const { return bar_; }
    const MenuItem* Find(int id) const;

    void SetEnabled(int id, bool enabled);
    void SetChecked(int id, bool checked);
    void SetText(int id, const std::string& text);

    // The "File*" mark and the Undo item follow unsaved changes.
    void SetModified(bool modified);
    void SetRecentSessions(const std::array<std::string, kRecentItems>& paths);
    void SetCurrentPage(int page);

    // Called after every change, with the id of the item that changed.
    void SetListener(std::function<void(int id)> listener) { listener_ = std::move(listener); }

private:
    MenuItem* FindItem(int id);
    void Changed(int id);

    std::vector<MenuItem> bar_;
    std::function<void(int)> listener_;
};

// " Page 1 " .. " Page 8 ".
std::string PageText(int page);

// The context menus, with each item enabled as the button or the block
// clipboard allows.
std::vector<MenuItem> ButtonContextMenu(int button, bool assigned, bool clipFilled);
std::vector<MenuItem> BlockContextMenu(bool blockClipFilled);

}  // namespace tamberline

#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/console_part.h"

namespace tamberline {

class MessageBox;
class Registry;

struct HelpRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const HelpRect&) const = default;
};

// Where the help window opens: the console's right edge and top, 800 wide,
// its bottom at y = 600; kept inside the work area's left edge and never
// shorter than a usable height (a console low on a tall screen).
HelpRect HelpWindowRect(const HelpRect& console, const HelpRect& workArea);

// The help window as the service sees it. The GUI shows the program's own
// window; tests record what was asked.
class HelpViewer {
public:
    virtual ~HelpViewer() = default;
    // An open window comes back from minimised; nothing when none is open.
    virtual void Restore() = 0;
    virtual HelpRect ConsoleRect() const = 0;
    virtual HelpRect WorkArea() const = 0;
    // Opens the window (or reuses the open one) at `where`, showing `topic`
    // of the pages in `folder`; false when no window results.
    virtual bool Show(const std::string& folder, const std::string& topic,
                      const HelpRect& where) = 0;
    virtual void Close() = 0;
};

// The one service that opens the help at a topic of its caller.
class HelpService {
public:
    HelpService(const Registry& registry, MessageBox& box, HelpViewer& viewer,
                std::vector<std::string> installedFolders);

    void ShowHelpTopic(std::string_view topic);

private:
    const Registry& registry_;
    MessageBox& box_;
    HelpViewer& viewer_;
    std::vector<std::string> installed_;
};

// The help window closes with the program.
class HelpPart final : public ConsolePart {
public:
    explicit HelpPart(HelpViewer& viewer) : viewer_(viewer) {}
    void Teardown(TeardownStep step) override;

private:
    HelpViewer& viewer_;
};

}  // namespace tamberline

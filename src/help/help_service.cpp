#include "help/help_service.h"

#include <algorithm>

#include "base/message_box.h"
#include "help/help_location.h"
#include "help/help_topics.h"

namespace tamberline {

namespace {
constexpr int kWindowWidth = 800;
constexpr int kWindowBottom = 600;
constexpr int kMinHeight = 300;
}  // namespace

HelpRect HelpWindowRect(const HelpRect& console, const HelpRect& workArea) {
    HelpRect rect;
    rect.right = console.right;
    rect.top = console.top;
    rect.left = std::max(console.right - kWindowWidth, workArea.left);
    rect.bottom = std::max(kWindowBottom, console.top + kMinHeight);
    return rect;
}

HelpService::HelpService(const Registry& registry, MessageBox& box, HelpViewer& viewer,
                         std::vector<std::string> installedFolders)
    : registry_(registry), box_(box), viewer_(viewer), installed_(std::move(installedFolders)) {}

void HelpService::ShowHelpTopic(std::string_view topic) {
    viewer_.Restore();
    const std::string folder = HelpFolder(registry_, installed_);
    const HelpRect where = HelpWindowRect(viewer_.ConsoleRect(), viewer_.WorkArea());
    if (!HelpPagesPresent(folder, topic) || !viewer_.Show(folder, std::string(topic), where)) {
        box_.Show(help::kHelpFileMissing, mb::kOk, BoxPlacement::Centred());
    }
}

void HelpPart::Teardown(TeardownStep step) {
    if (step == TeardownStep::kHelpWindow) {
        viewer_.Close();
    }
}

}  // namespace tamberline

#include "app/asio_command.h"

#include <algorithm>

#include "app/asio_control_panel.h"
#include "app/list_selection_model.h"
#include "base/message_box.h"
#include "playback/engine_outputs.h"
#include "session/registry.h"

namespace tamberline {

AsioMenuCommand::AsioMenuCommand(Registry& registry, MessageBox& messages,
                                 ListSelectionRunner& dialog, AsioControlPanels& panels,
                                 Hooks hooks)
    : registry_(registry),
      messages_(messages),
      dialog_(dialog),
      panels_(panels),
      hooks_(std::move(hooks)) {}

void AsioMenuCommand::Run() {
    if (hooks_.anyButtonRunning && hooks_.anyButtonRunning()) {
        messages_.Show("All buttons must be stopped \nto set ASIO.", mb::kOk | mb::kIconInformation,
                       BoxPlacement::AtPointer());
        return;
    }
    const uint32_t stored = ReadAsioIndex(registry_);
    const int current = static_cast<int>(std::min<uint32_t>(stored, INT32_MAX));
    const std::vector<std::string> drivers =
        hooks_.drivers ? hooks_.drivers() : std::vector<std::string>{};
    ListSelectionModel model = ListSelectionModel::ForAsio(drivers, current);
    model.SetControlPanel(
        [this, &drivers](int row, bool reassign) { panels_.Open(drivers, row, reassign); });
    if (!dialog_.Run(model)) {
        return;
    }
    const int chosen = model.Selected();
    if (chosen == current) {
        return;
    }
    if (chosen != -1) {
        WriteAsioIndex(registry_, static_cast<uint32_t>(chosen));
    }
    if (hooks_.outputsChanged) {
        hooks_.outputsChanged();
    }
}

}  // namespace tamberline

#include "app/smpte_setup.h"

#include "app/asio_control_panel.h"
#include "app/list_selection_model.h"
#include "session/registry.h"
#include "session/settings.h"
#include "triggers/timecode/smpte_reader.h"

namespace tamberline {

namespace {
constexpr int kApplied = 9;
}

int ChooseSmpteSource(SmpteReader& reader, Registry& registry, ListSelectionRunner& dialog,
                      AsioControlPanels& panels) {
    const std::vector<std::string> devices = reader.devices();
    ListSelectionModel model = ListSelectionModel::ForSmpte(devices, reader.ChosenDevice());
    model.SetControlPanel([&devices, &panels](int row, bool reassign) {
        if (row >= 0 && row < static_cast<int>(devices.size())) {
            panels.OpenProgram(devices[static_cast<size_t>(row)], reassign,
                               "Assign a device control program.");
        }
    });
    if (!dialog.Run(model)) {
        return 0;
    }
    if (model.Selected() >= 0) {
        registry.SetString(settings::kSmpteInput, devices[static_cast<size_t>(model.Selected())]);
    }
    return kApplied;
}

}  // namespace tamberline

#include "app/smpte_setup.h"

#include <algorithm>

#include "app/asio_control_panel.h"
#include "app/list_selection_model.h"
#include "session/registry.h"
#include "session/settings.h"
#include "triggers/timecode/smpte_reader.h"

namespace tamberline {

namespace {

constexpr int kApplied = 9;

// Stops following the reader's list when the dialog closes, however it
// closes.
class FollowDevices {
public:
    FollowDevices(SmpteReader& reader, std::function<void()> changed) : reader_(reader) {
        reader_.SetDevicesChanged(std::move(changed));
    }
    ~FollowDevices() { reader_.SetDevicesChanged({}); }
    FollowDevices(const FollowDevices&) = delete;
    FollowDevices& operator=(const FollowDevices&) = delete;

private:
    SmpteReader& reader_;
};

}  // namespace

void RefillSmpteSource(ListSelectionModel& model, const SmpteReader& reader) {
    const std::vector<std::string>& devices = reader.devices();
    int selected = reader.ChosenDevice();
    if (model.Selected() >= 0) {
        const std::string& name = model.Rows()[static_cast<size_t>(model.Selected())];
        const auto same = std::find(devices.begin(), devices.end(), name);
        if (same != devices.end()) {
            selected = static_cast<int>(same - devices.begin());
        }
    }
    model.SetRows(devices, selected);
}

int ChooseSmpteSource(SmpteReader& reader, Registry& registry, ListSelectionRunner& dialog,
                      AsioControlPanels& panels) {
    ListSelectionModel model =
        ListSelectionModel::ForSmpte(reader.devices(), reader.ChosenDevice());
    model.SetControlPanel([&model, &panels](int row, bool reassign) {
        if (row >= 0 && row < static_cast<int>(model.Rows().size())) {
            panels.OpenProgram(model.Rows()[static_cast<size_t>(row)], reassign,
                               "Assign a device control program.");
        }
    });
    const FollowDevices follow(reader, [&model, &reader] { RefillSmpteSource(model, reader); });
    if (!dialog.Run(model)) {
        return 0;
    }
    if (model.Selected() >= 0) {
        registry.SetString(settings::kSmpteInput,
                           model.Rows()[static_cast<size_t>(model.Selected())]);
    }
    return kApplied;
}

}  // namespace tamberline

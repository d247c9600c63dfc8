#pragma once

#include <QWidget>
#include <optional>
#include <vector>

#include "app/setup_commands.h"
#include "setup/ui/setup_button_dialog.h"

namespace tamberline {

// Runs the Setup Button and Block assign dialogs modally over the console.
class SetupDialogs {
public:
    SetupDialogs(const SetupDialogServices& services, QWidget* parent)
        : services_(services), parent_(parent) {}

    std::optional<ButtonRecord> RunSetupButton(int button, const ButtonRecord& record);
    std::optional<BlockAssignOutcome> RunBlockAssign(const std::vector<ButtonRecord>& records);
    // Lists the drives afresh each time a dialog opens (sticks come and go).
    void SetDriveLister(std::function<std::vector<Drive>()> list) { listDrives_ = std::move(list); }
    // The songlist editor the "Edit" buttons open on a songlist.
    void SetSonglistEditor(std::function<void(const std::string&)> edit) {
        services_.editSonglist = std::move(edit);
    }

private:
    void RefreshDrives();

    SetupDialogServices services_;
    QWidget* parent_;
    std::function<std::vector<Drive>()> listDrives_;
};

}  // namespace tamberline

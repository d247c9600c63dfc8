#include "setup/ui/setup_dialogs.h"

#include "setup/ui/block_assign_dialog.h"

namespace tamberline {

void SetupDialogs::RefreshDrives() {
    if (listDrives_) {
        services_.drives = listDrives_();
    }
}

std::optional<ButtonRecord> SetupDialogs::RunSetupButton(int button, const ButtonRecord& record) {
    RefreshDrives();
    SetupButtonDialog dialog(services_, button, record, parent_);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.result();
}

std::optional<BlockAssignOutcome> SetupDialogs::RunBlockAssign(
    const std::vector<ButtonRecord>& records) {
    RefreshDrives();
    BlockAssignDialog dialog(services_, records, parent_);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return BlockAssignOutcome{dialog.model().records(), dialog.newFiles()};
}

}  // namespace tamberline

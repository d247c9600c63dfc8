#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/grid_hooks.h"
#include "files/external_editor.h"

namespace tamberline {

class HelpService;
class NetLink;
class OutputsPart;
class RunControl;

// The grid's hooks in the running program: output rows are checked against
// the outputs built at start-up, playlists are told by their endings, and
// F1 opens the help.
// Without outputs (tests) every output counts as valid.
class ProgramGridHooks final : public GridHooks {
public:
    void SetOutputs(const OutputsPart* outputs) { outputs_ = outputs; }
    void SetHelp(HelpService* help) { help_ = help; }
    void SetLink(NetLink* link) { link_ = link; }

    // The external editor's hand-off for the edit command.
    void SetSampleEditor(std::function<void(int)> edit) { editSample_ = std::move(edit); }

    // The Setup Button and Block assign dialogs.
    void SetSetupDialogs(std::function<void(int)> setup,
                         std::function<void(const std::vector<int>&)> block) {
        setup_ = std::move(setup);
        block_ = std::move(block);
    }

    bool IsValidOutput(int row) const override;
    bool IsSonglistFile(const std::string& path) const override;
    void EditSample(int button) override;
    void OpenHelp() override;
    void OpenSetupButton(int button) override;
    void OpenBlockAssign(const std::vector<int>& buttons) override;
    void TellLinkLocksCleared() override;
    std::string LinkTitle() const override;

private:
    const OutputsPart* outputs_ = nullptr;
    std::function<void(int)> editSample_;
    std::function<void(int)> setup_;
    std::function<void(const std::vector<int>&)> block_;
    HelpService* help_ = nullptr;
    NetLink* link_ = nullptr;
};

// Editing a sample in the running program: playlists are told by their
// endings, and buttons are released through run control.
SampleEditHooks SampleEditHooksFor(RunControl& run);

}  // namespace tamberline

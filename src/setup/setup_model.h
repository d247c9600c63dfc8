#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "session/button_record.h"
#include "setup/sample_probe.h"
#include "setup/setup_rules.h"

namespace tamberline {

class MessageBox;
class Registry;

struct SetupServices {
    Registry& registry;
    MessageBox& box;
    // The session's records, for the duplicate-trigger warnings.
    const RecordArray& records;
    SampleProbe& probe;
    // Rows of the output choice.
    int outputRows = 16;
    // Where browsing starts when nothing better is known (the home folder).
    std::string defaultFolder;
    // Whether a folder exists and lies on a fixed drive.
    std::function<bool(const std::string& folder)> folderExists;
    std::function<bool(const std::string& folder)> onFixedDrive;
    // Reports a file that cannot be loaded, by the sample-error kind.
    std::function<void(const std::string& path, int kind)> reportSampleError;
};

// The Setup Button dialog without its window: the working copy of one
// button's record and every rule of its controls. The console copies the
// result back only on OK.
class SetupButtonModel {
public:
    SetupButtonModel(const SetupServices& services, int button, const ButtonRecord& record);

    int button() const { return button_; }
    std::string Title() const;
    const ButtonRecord& record() const { return record_; }
    const std::string& browseFolder() const { return browseFolder_; }
    void SetBrowseFolder(const std::string& folder);
    const ProbedSample& sample() const { return sample_; }
    bool varispeedShown() const { return varispeedShown_; }
    bool showDataEnabled() const;

    // The opening rules: browse folder, varispeed clamped, an empty button
    // cleared, the output row and the fades brought into range.
    void Open();
    // Assigns `path` (browse folder + name, or a Dig result). False, with
    // the failure reported, when it cannot be loaded: the record stays.
    bool AssignFile(const std::string& path);
    // Empties the working copy.
    void Clear();

    // A new output row; the sample is loaded again for it, and cleared when
    // it cannot play there.
    void SetOutput(int row);
    void SetVolume(int volume);
    void SetPan(int pan);
    // Rescales the duration to the new speed.
    void SetVarispeed(int varispeed);
    // A fade typed: the value stored (0 without a sample).
    uint16_t SetFade(bool fadeIn, long value);
    void SetLoop(bool loop);
    void SetFlags(const FlagBoxes& boxes, int startGroup);
    // The triggers, each checked for duplicates.
    void ChooseMidi(int note, int channel);
    void CaptureKey(int code);
    void ChooseGameTrigger(int item);
    // The start-time box's text entered: returns the text it shows now.
    std::string EnterStartTime(const std::string& text);
    void SetColour(uint32_t colour) { record_.colour = colour & 0xFFFFFF; }

    // OK: the record as the console takes it over, with the caption box's
    // text and the browse folder and output remembered.
    ButtonRecord Accept(const std::string& captionText);

private:
    void LimitFades();
    void ShowDuplicates(const char* heading, const std::vector<int>& buttons);

    SetupServices services_;
    const int button_;
    ButtonRecord record_;
    std::string browseFolder_;
    ProbedSample sample_;
    bool varispeedShown_ = true;
    uint32_t normalMs_ = 0;  // the playing time at normal speed
};

}  // namespace tamberline

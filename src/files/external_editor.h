#pragma once

#include <functional>
#include <string>
#include <vector>

#include "session/button_record.h"

namespace tamberline {

class FileDialog;
class MessageBox;
class Registry;

// Starts a program with arguments, detached; false when it cannot start.
using ProgramStarter =
    std::function<bool(const std::string& program, const std::vector<std::string>& arguments)>;
bool StartDetached(const std::string& program, const std::vector<std::string>& arguments);

// The operator's sample editor: the program stored as "Edit Executable".
class ExternalEditor {
public:
    ExternalEditor(Registry& registry, FileDialog& files, std::string procRoot = "/proc",
                   ProgramStarter start = StartDetached);

    // Lets the operator choose the editor program; true when one was chosen.
    bool AssignEditor();
    // Starts the editor with `arguments`, asking for one first when none is
    // assigned; false when none is or it does not start.
    bool LaunchEditor(const std::vector<std::string>& arguments);
    // True when a process of the editor runs (its /proc entry's executable
    // is the stored program); editorProcess() names it then.
    bool FindEditorWindow();
    int editorProcess() const { return editorProcess_; }

private:
    Registry& registry_;
    FileDialog& files_;
    std::string procRoot_;
    ProgramStarter start_;
    int editorProcess_ = 0;
};

// Opens a folder in the desktop's file manager.
void ExploreFolder(const std::string& folder);

// What editing a button's sample needs from the rest of the program.
struct SampleEditHooks {
    std::function<bool(const std::string& path)> isPlaylist;
    std::function<void(const std::string& path)> openSonglistEditor;
    std::function<bool(int button)> isPlayingOrPaused;
    // Stops the button and frees its media (hides its video), so the file
    // is not held open while it is edited; the next start opens it afresh.
    std::function<void(int button)> releaseMedia;
};

// The edit command on one button: playlists go to the songlist editor;
// every button playing the same file is released first (after asking when
// one plays); then the editor starts with the sample.
void EditButtonSample(int button, const RecordArray& records, ExternalEditor& editor,
                      MessageBox& box, const SampleEditHooks& hooks);

// Block assign's edit: starts the editor when it does not run, waits for it
// (up to 11 looks, `wait` 500 ms between them, the event loop running) and
// hands it the samples. Shows "Editor failed to start." when it could not
// start.
void HandSamplesToEditor(ExternalEditor& editor, MessageBox& box,
                         const std::vector<std::string>& samples,
                         const std::function<void(int ms)>& wait);

}  // namespace tamberline

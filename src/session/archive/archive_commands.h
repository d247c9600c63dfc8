#pragma once

#include <functional>
#include <string>

#include "session/archive/copy_plan.h"

namespace tamberline {

class CopyRunner;
class FileDialog;
class MessageBox;
class Registry;
class Session;

struct ArchiveServices {
    Session& session;
    MessageBox& box;
    FileDialog& fileDialog;
    Registry& registry;
    CopyRunner& runner;
    // True while any button plays or is paused.
    std::function<bool()> anyButtonRunning;
    // Proposed when no folder of the kind was used before.
    std::string defaultFolder;
};

// The File menu's "Read Archive", "Write Archive" and "Clone Session".
// Each runs on the GUI thread, asks what it needs, and leaves the copying
// to the copy engine on a worker thread behind the runner's progress
// dialog. Clone leaves the console on the session it cloned; the closing
// message names the clone.
class ArchiveCommands {
public:
    explicit ArchiveCommands(const ArchiveServices& services) : services_(services) {}

    void ReadArchive();
    void WriteArchive();
    void CloneSession();

private:
    bool Ready(const std::string& stopFirst);
    std::string FolderOrDefault(const std::string& stored) const;
    // Plans and runs one copy, reporting what went wrong; true when the
    // session or archive file was written.
    bool RunCopy(CopyMode mode, const std::string& source, const std::string& destination,
                 bool preserveFolders);

    ArchiveServices services_;
};

}  // namespace tamberline

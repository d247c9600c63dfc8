#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "files/drives.h"

class QWidget;

namespace tamberline {

class FileCopier;
class FileDialog;
class FileMonitors;
class MessageBox;
class Recorder;
class Registry;

// The folder trees of the CD tools: removable, fixed and remote drives.
inline constexpr uint32_t kCdToolDrives = 28;

// What the CD burner and the CD ripper need from the rest of the program.
struct CdDialogServices {
    MessageBox& box;
    Registry& registry;
    FileMonitors& monitors;
    FileDialog& files;
    FileCopier& copier;
    std::vector<Drive> drives;
    std::function<void(const std::string& topic)> help;
    // The real recorders (the image recorder follows them) and the CD
    // drives; left empty, the system's.
    std::function<std::vector<std::unique_ptr<Recorder>>()> recorders;
    std::function<std::vector<std::string>()> cdDrives;
    // Where "Burnlist.abl" is kept; empty: BurnListPath().
    std::string burnListPath;
    // Opens a folder in the desktop's file manager; empty: ExploreFolder.
    std::function<void(const std::string& folder)> explore;
};

// The "CD Burner." dialog, modal; burning runs on a worker.
void RunCdBurner(const CdDialogServices& services, QWidget* parent);
// The "CD Ripper." dialog, modal; ripping runs on a worker.
void RunCdRipper(const CdDialogServices& services, QWidget* parent);

// Where the burner keeps "Burnlist.abl".
std::string BurnListPath();

}  // namespace tamberline

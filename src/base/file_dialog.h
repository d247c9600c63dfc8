#pragma once

#include <cstdint>
#include <string>

namespace tamberline {

// What a caller asks of the program's open/save dialog.
struct FileDialogRequest {
    enum class Mode { kOpen, kSave };
    enum class Order { kNatural, kByDate };

    uint32_t driveTypeMask = 12;  // bit n: show drives of type n (2 removable, 3 fixed, ...)
    std::string okCaption;        // at most 9 characters: "Open", "Save"
    std::string initialPath;      // folder and file name
    std::string title;
    std::string pattern = "*.*";  // also gives the default extension in save mode
    Order order = Order::kNatural;
    Mode mode = Mode::kOpen;
    bool playlistOnly = false;
    bool sessionCheck = false;
    bool preserveFolderStructure = false;  // default state of the tick box
};

struct FileDialogResult {
    bool ok = false;
    std::string folder;  // ends in '/'
    std::string fileName;
    bool preserveFolderStructure = false;

    std::string Path() const { return ok ? folder + fileName : std::string(); }
};

// The one way the core asks the operator for a file. The GUI shows a
// dialog; tests answer from a script.
class FileDialog {
public:
    virtual ~FileDialog() = default;
    virtual FileDialogResult Run(const FileDialogRequest& request) = 0;
};

}  // namespace tamberline

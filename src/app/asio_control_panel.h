#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace tamberline {

class FileDialog;
class MessageBox;
class Registry;

// The control-panel programs started from the ASIO driver list (and the
// "Device control" of the SMPTE source list): a program
// path stored in the settings under the driver's name (a JACK or mixer
// control program), started once and kept for the whole run. A panel that
// still runs is left alone; one that has ended is started again. Panels
// outlive the player, like programs the user started.
class AsioControlPanels {
public:
    AsioControlPanels(Registry& registry, MessageBox& messages, FileDialog& files);

    // The control-panel button with `row` of the ASIO list selected (row 0
    // is "Do not use ASIO"); `reassign` asks for the program even when one
    // is stored (a right-click).
    void Open(const std::vector<std::string>& drivers, int row, bool reassign);
    // The control program stored under `name` (any device's), asked for
    // with a file dialog titled `assignTitle` when none is stored.
    void OpenProgram(const std::string& name, bool reassign, const std::string& assignTitle);

private:
    struct Started {
        int64_t pid = 0;
        uint64_t startTicks = 0;  // tells the process from a later one with its number
    };
    static bool StillRunning(const Started& started);

    Registry& registry_;
    MessageBox& messages_;
    FileDialog& files_;
    std::map<std::string, Started> started_;
};

}  // namespace tamberline

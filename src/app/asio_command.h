#pragma once

#include <functional>
#include <string>
#include <vector>

namespace tamberline {

class AsioControlPanels;
class ListSelectionRunner;
class MessageBox;
class Registry;

// The "ASIO" menu command: refuses while any button runs, otherwise lets
// the operator choose the driver in the list-selection dialog and, when the
// choice changed, stores it and has the outputs rebuilt.
class AsioMenuCommand {
public:
    struct Hooks {
        std::function<bool()> anyButtonRunning;
        // The engine's drivers, in the order the engine counts them.
        std::function<std::vector<std::string>()> drivers;
        // After a new choice is stored: rebuild the outputs and redraw.
        std::function<void()> outputsChanged;
    };

    AsioMenuCommand(Registry& registry, MessageBox& messages, ListSelectionRunner& dialog,
                    AsioControlPanels& panels, Hooks hooks);

    void Run();

private:
    Registry& registry_;
    MessageBox& messages_;
    ListSelectionRunner& dialog_;
    AsioControlPanels& panels_;
    Hooks hooks_;
};

}  // namespace tamberline

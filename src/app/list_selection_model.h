#pragma once

#include <functional>
#include <string>
#include <vector>

namespace tamberline {

// The list-selection dialog is shared by the ASIO driver choice and the
// SMPTE source choice; its caller sets the mode.
enum class ListSelectionMode { kAsio, kSmpte };

// What the list-selection dialog shows and holds, without its window.
class ListSelectionModel {
public:
    // The control-panel button for the selected row; `reassign` for a
    // right-click, which always asks for the program again.
    using ControlPanelFn = std::function<void(int row, bool reassign)>;

    // "Do not use ASIO" then the drivers, with row `asioIndex` selected; or
    // "No ASIO drivers found" alone, selected, when there is none.
    static ListSelectionModel ForAsio(const std::vector<std::string>& drivers, int asioIndex);
    // The capture devices, with `selected` selected.
    static ListSelectionModel ForSmpte(const std::vector<std::string>& devices, int selected);

    ListSelectionMode Mode() const { return mode_; }
    const std::string& Title() const { return title_; }
    const std::string& Caption() const { return caption_; }
    const std::string& ControlPanelCaption() const { return panelCaption_; }
    const std::vector<std::string>& Rows() const { return rows_; }
    // The help page of the choice: outputs or the timecode source.
    std::string HelpTopic() const;

    // -1 when no row is selected.
    int Selected() const { return selected_; }
    void Select(int row);
    // New rows while the dialog is open (devices came or went), with `selected`
    // selected; the view is told.
    void SetRows(std::vector<std::string> rows, int selected);
    // The view that shows the rows; empty to let go.
    void SetRowsChanged(std::function<void()> changed) { rowsChanged_ = std::move(changed); }

    void SetControlPanel(ControlPanelFn panel) { panel_ = std::move(panel); }
    void OpenControlPanel(bool reassign) const;

private:
    ListSelectionModel(ListSelectionMode mode, std::string title, std::string caption,
                       std::string panelCaption, std::vector<std::string> rows, int selected);

    ListSelectionMode mode_;
    std::string title_;
    std::string caption_;
    std::string panelCaption_;
    std::vector<std::string> rows_;
    int selected_ = -1;
    ControlPanelFn panel_;
    std::function<void()> rowsChanged_;
};

// Shows the dialog until OK (true) or Cancel (false). The GUI runs the
// widget; tests answer from a script.
class ListSelectionRunner {
public:
    virtual ~ListSelectionRunner() = default;
    virtual bool Run(ListSelectionModel& model) = 0;
};

}  // namespace tamberline

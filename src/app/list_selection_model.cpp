#include "app/list_selection_model.h"

#include "help/help_topics.h"

namespace tamberline {

ListSelectionModel::ListSelectionModel(ListSelectionMode mode, std::string title,
                                       std::string caption, std::string panelCaption,
                                       std::vector<std::string> rows, int selected)
    : mode_(mode),
      title_(std::move(title)),
      caption_(std::move(caption)),
      panelCaption_(std::move(panelCaption)),
      rows_(std::move(rows)) {
    Select(selected);
}

ListSelectionModel ListSelectionModel::ForAsio(const std::vector<std::string>& drivers,
                                               int asioIndex) {
    std::vector<std::string> rows;
    if (drivers.empty()) {
        rows.push_back("No ASIO drivers found");
        asioIndex = 0;
    } else {
        rows.push_back("Do not use ASIO");
        rows.insert(rows.end(), drivers.begin(), drivers.end());
    }
    return ListSelectionModel(ListSelectionMode::kAsio, "ASIO", "Select ASIO Driver",
                              "Control Panel", std::move(rows), asioIndex);
}

ListSelectionModel ListSelectionModel::ForSmpte(const std::vector<std::string>& devices,
                                                int selected) {
    return ListSelectionModel(ListSelectionMode::kSmpte, "SMPTE Source", "Select input device",
                              "Device control", devices, selected);
}

std::string ListSelectionModel::HelpTopic() const {
    return std::string(help::kGetStarted) +
           (mode_ == ListSelectionMode::kAsio ? "#outputs" : "#timecode");
}

void ListSelectionModel::Select(int row) {
    selected_ = row >= 0 && row < static_cast<int>(rows_.size()) ? row : -1;
}

void ListSelectionModel::SetRows(std::vector<std::string> rows, int selected) {
    rows_ = std::move(rows);
    Select(selected);
    if (rowsChanged_) {
        rowsChanged_();
    }
}

void ListSelectionModel::OpenControlPanel(bool reassign) const {
    if (panel_) {
        panel_(selected_, reassign);
    }
}

}  // namespace tamberline

#include "playback/graph/output_list.h"

#include <QString>
#include <algorithm>
#include <cstdio>

namespace tamberline {

std::vector<int> OutputRowOrder(const OutputTable& table) {
    std::vector<int> engine;
    std::vector<int> cards;
    for (int i = 0; i < static_cast<int>(table.entries.size()); ++i) {
        (table.entries[i].onAudioEngine ? engine : cards).push_back(i);
    }
    std::stable_sort(cards.begin(), cards.end(), [&](int a, int b) {
        return QString::fromStdString(table.entries[a].displayName)
                   .compare(QString::fromStdString(table.entries[b].displayName),
                            Qt::CaseInsensitive) < 0;
    });
    engine.insert(engine.end(), cards.begin(), cards.end());
    if (engine.size() > static_cast<size_t>(kMaxOutputs)) {
        engine.resize(kMaxOutputs);
    }
    return engine;
}

// Each named row takes its own entry's index directly. Looking rows up by
// name afterwards would give two outputs of one name the same row and leave
// the other row pointing at whichever entry its row number happened to be.
void OutputList::Fill(const OutputTable& table) {
    rows_.clear();
    for (int index : OutputRowOrder(table)) {
        // A pair the device lacks names no output: its buttons show the
        // output as missing instead of playing nowhere.
        rows_.push_back(
            {table.entries[index].displayName, table.entries[index].available ? index : -1});
    }
    while (Count() < kRows) {
        rows_.push_back({std::string(), Count()});
    }
}

std::string OutputList::Text(int row) const {
    return row >= 0 && row < Count() ? rows_[row].text : std::string();
}

int OutputList::ItemData(int row) const {
    return row >= 0 && row < Count() ? rows_[row].itemData : -1;
}

int OutputList::FindString(const std::string& prefix) const {
    const QString wanted = QString::fromStdString(prefix);
    for (int row = 0; row < Count(); ++row) {
        if (QString::fromStdString(rows_[row].text).startsWith(wanted, Qt::CaseInsensitive)) {
            return row;
        }
    }
    return -1;
}

int OutputList::TableIndex(int row, const OutputTable& table) const {
    if (row < 0 || row >= Count() || rows_[row].text.empty()) {
        return -1;
    }
    const int index = rows_[row].itemData;
    return index >= 0 && index < static_cast<int>(table.entries.size()) ? index : -1;
}

std::vector<OutputComboRow> OutputComboRows(const OutputTable& table) {
    const std::vector<int> order = OutputRowOrder(table);
    const int named = static_cast<int>(order.size());
    const int rows = named < 16 ? 16 : named < 24 ? 24 : kMaxOutputs;
    std::vector<OutputComboRow> combo;
    for (int row = 0; row < rows; ++row) {
        char number[16];
        std::snprintf(number, sizeof number, "%3d - ", row + 1);
        if (row < named && table.entries[order[row]].available) {
            combo.push_back({number + table.entries[order[row]].displayName, order[row]});
        } else {
            combo.push_back({std::string(number) + "Not Available", -1});
        }
    }
    return combo;
}

}  // namespace tamberline

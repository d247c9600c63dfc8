#pragma once

#include <string>
#include <vector>

#include "playback/output_table.h"

namespace tamberline {

// The table indices of the outputs in the order the operator sees them: the
// engine's pairs first, then the sound cards by display name (ignoring case;
// equal names keep the order found).
std::vector<int> OutputRowOrder(const OutputTable& table);

// The hidden list of 32 outputs that a button record's `output` row refers
// to. A named row's item data is its table index (-1 for a pair the device
// lacks); an empty row's is its own row number, which is never a valid index.
class OutputList {
public:
    static constexpr int kRows = kMaxOutputs;

    void Clear() { rows_.clear(); }
    void Fill(const OutputTable& table);

    int Count() const { return static_cast<int>(rows_.size()); }
    // Empty text and -1 for a row that does not exist.
    std::string Text(int row) const;
    int ItemData(int row) const;
    // The first row whose text begins with `prefix`, ignoring case; -1 if none.
    int FindString(const std::string& prefix) const;
    // The table entry row `row` names, or -1 for an empty or missing row.
    int TableIndex(int row, const OutputTable& table) const;

private:
    struct Row {
        std::string text;
        int itemData = 0;
    };
    std::vector<Row> rows_;
};

// One row of the output choice in the button setup.
struct OutputComboRow {
    std::string text;   // "  3 - Test Sink B", "  4 - Not Available"
    int itemData = -1;  // table index, -1 for "Not Available"
};

// The rows of the button setup's output choice, row for row the output list:
// 16 rows while there are fewer than 16 outputs, 24 while fewer than 24,
// else 32; rows past the outputs, and pairs the device lacks, read "Not
// Available".
std::vector<OutputComboRow> OutputComboRows(const OutputTable& table);

}  // namespace tamberline

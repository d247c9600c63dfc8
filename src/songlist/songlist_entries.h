#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace tamberline {

// One song of the list being edited.
struct SonglistEntry {
    std::string path;
    int32_t lengthMs = 0;
    bool measured = false;
    // Just added: kept only when its file measures more than 0.
    bool candidate = false;
};

// The songlist in the editor, without a window: the entries in order,
// their lengths as they arrive from the measuring thread, and the edits.
// Lengths are remembered per path for as long as the editor is open, so a
// refresh measures nothing twice.
class SonglistEntries {
public:
    using Lengths = std::map<std::string, int32_t>;

    const std::vector<SonglistEntry>& entries() const { return entries_; }
    size_t size() const { return entries_.size(); }
    // The paths as a save writes them.
    std::vector<std::string> Paths() const;

    // A list read from a file, or none. Measurements asked for before are
    // asked for again: the caller may have dropped them with the old list.
    void Set(const std::vector<std::string>& paths);
    void Clear();

    // What an add, or a length that arrived, changed.
    struct Arrival {
        std::vector<std::string> rejected;  // added files dropped: length 0
        bool keptCandidate = false;         // an added file was kept
        std::vector<int> changedRows;       // rows whose line text changed
        bool rowsRemoved = false;
    };

    // "Add all >>": `paths` go after the last selected song in order, or
    // to the end with no song selected.
    Arrival AddAfterSelection(const std::vector<std::string>& paths, const std::set<int>& selected);
    // "Add >>": each path goes before the previous one, the first before
    // the last selected song; to the end in order with no song selected.
    Arrival AddBeforeSelection(const std::vector<std::string>& paths,
                               const std::set<int>& selected);
    void Remove(const std::set<int>& selected);
    // Selected blocks move by one where there is room; returns the new
    // selection.
    std::set<int> MoveUp(const std::set<int>& selected);
    std::set<int> MoveDown(const std::set<int>& selected);

    // Paths that still need measuring; each is handed out once until its
    // length arrives or Forget() is called.
    std::vector<std::string> TakeUnmeasured();
    Arrival LengthArrived(const std::string& path, int32_t lengthMs);
    // The file may have changed (or come back): its length is measured
    // again. Its rows keep their place.
    void Remeasure(const std::string& path);

    // No added file waits for its length.
    bool Settled() const;
    bool AllMeasured() const;
    int64_t TotalMs() const;
    const Lengths& known() const { return known_; }

    // The line of a row: the file name, or in the detail view the path,
    // with "    *File not found*" when it measures 0.
    std::string LineText(size_t row, bool detail) const;

private:
    void Insert(size_t at, const std::string& path);
    // Keeps or drops every added file whose length is known.
    Arrival Settle(const std::string* arrived);

    std::vector<SonglistEntry> entries_;
    Lengths known_;
    std::set<std::string> asked_;
};

// The songlist counts as unchanged when the file holds the same entries
// in the same order: a reordered set list is a change worth saving.
bool SameSonglist(const std::vector<std::string>& inFile, const std::vector<std::string>& edited);

}  // namespace tamberline

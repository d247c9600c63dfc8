#pragma once

#include <memory>
#include <string>

#include "session/button_record.h"
#include "session/undo_journal.h"

namespace tamberline {

// Keeps the working copy on disk in step with the records and the undo
// journal. The first write (and any write after the file was lost, moved
// or replaced) replaces the file whole and atomically; each later one
// writes only what changed: the new journal entries, the records that
// differ, the new length, then one flush. Either way the file has the same
// bytes, so older working copies and newer ones read alike.
class WorkingCopyWriter {
public:
    WorkingCopyWriter();
    ~WorkingCopyWriter();
    WorkingCopyWriter(const WorkingCopyWriter&) = delete;
    WorkingCopyWriter& operator=(const WorkingCopyWriter&) = delete;

    // 0 or the system's error code (after which the next write is whole).
    int Write(const std::string& path, const RecordArray& records, UndoJournal& journal);
    // Deletes the file this writer keeps (or any file at `path`).
    void Remove(const std::string& path);

private:
    bool StillOurs(const std::string& path) const;
    int WriteChanges(const RecordArray& records, UndoJournal& journal);
    int WriteWhole(const std::string& path, const RecordArray& records, UndoJournal& journal);
    void Close();

    std::string path_;
    int fd_ = -1;
    std::unique_ptr<RecordArray> onDisk_;  // the records as the file holds them
    size_t journalOnDisk_ = 0;
};

}  // namespace tamberline

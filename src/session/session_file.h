#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "session/button_record.h"
#include "session/disk_file.h"
#include "session/undo_journal.h"

namespace tamberline {

enum class SessionReadResult {
    kOk,
    kOpenFailed,  // systemError tells why
    kWrongSize,   // not 198,912 bytes
    kShortRead,
};

// Reads a session file into `records`, which change only on kOk. `stamp`
// is the version read.
SessionReadResult ReadSessionFile(const std::string& path, RecordArray& records, FileStamp& stamp,
                                  int& systemError);

// Writes the records as a session file, atomically. 0 or the system error.
int WriteSessionFile(const std::string& path, const RecordArray& records,
                     bool evenIfReadOnly = false);

// Reads a working copy: the records, then the undo journal's bytes (the
// newest whole steps that fit in kMaxJournalBytes, when it carries more).
// False (nothing changed) when it cannot be read or is shorter than the
// records.
bool ReadWorkingCopy(const std::string& path, RecordArray& records, std::vector<uint8_t>& journal);

// Writes a working copy, atomically. 0 or the system error.
int WriteWorkingCopyFile(const std::string& path, const RecordArray& records,
                         const std::vector<uint8_t>& journal);

}  // namespace tamberline

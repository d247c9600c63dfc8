#include "session/session_file.h"

#include <cerrno>

namespace tamberline {

SessionReadResult ReadSessionFile(const std::string& path, RecordArray& records, FileStamp& stamp,
                                  int& systemError) {
    systemError = 0;
    std::vector<uint8_t> bytes;
    const int error = ReadWholeFile(path, kSessionFileSize, bytes, &stamp);
    if (error == EFBIG) {
        return SessionReadResult::kWrongSize;
    }
    if (error != 0) {
        systemError = error;
        return SessionReadResult::kOpenFailed;
    }
    if (bytes.size() != kSessionFileSize) {
        return SessionReadResult::kShortRead;
    }
    DecodeSession(std::span<const uint8_t, kSessionFileSize>(bytes.data(), kSessionFileSize),
                  records);
    return SessionReadResult::kOk;
}

int WriteSessionFile(const std::string& path, const RecordArray& records, bool evenIfReadOnly) {
    return ReplaceFileAtomically(path, EncodeSession(records), evenIfReadOnly);
}

bool ReadWorkingCopy(const std::string& path, RecordArray& records, std::vector<uint8_t>& journal) {
    std::vector<uint8_t> bytes;
    if (ReadWholeFile(path, kSessionFileSize + kMaxJournalBytes, bytes) != 0 ||
        bytes.size() < kSessionFileSize) {
        return false;
    }
    DecodeSession(std::span<const uint8_t, kSessionFileSize>(bytes.data(), kSessionFileSize),
                  records);
    journal.assign(bytes.begin() + kSessionFileSize, bytes.end());
    return true;
}

int WriteWorkingCopyFile(const std::string& path, const RecordArray& records,
                         const std::vector<uint8_t>& journal) {
    std::vector<uint8_t> bytes = EncodeSession(records);
    bytes.insert(bytes.end(), journal.begin(), journal.end());
    return ReplaceFileAtomically(path, bytes);
}

}  // namespace tamberline

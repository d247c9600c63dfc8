#include "session/working_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "session/disk_file.h"
#include "session/session_file.h"

namespace tamberline {

namespace {

int WriteAt(int fd, const uint8_t* bytes, size_t size, size_t offset) {
    size_t done = 0;
    while (done < size) {
        const ssize_t n =
            ::pwrite(fd, bytes + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return errno;
        }
        done += static_cast<size_t>(n);
    }
    return 0;
}

}  // namespace

WorkingCopyWriter::WorkingCopyWriter() : onDisk_(std::make_unique<RecordArray>()) {}

WorkingCopyWriter::~WorkingCopyWriter() {
    Close();
}

void WorkingCopyWriter::Close() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
    fd_ = -1;
    path_.clear();
}

// The file open here is still the one at the path, and nobody changed its
// length behind our back.
bool WorkingCopyWriter::StillOurs(const std::string& path) const {
    if (fd_ < 0 || path != path_) {
        return false;
    }
    struct stat open {};
    struct stat named {};
    return ::fstat(fd_, &open) == 0 && ::stat(path.c_str(), &named) == 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino &&
           static_cast<size_t>(open.st_size) == kSessionFileSize + journalOnDisk_;
}

int WorkingCopyWriter::Write(const std::string& path, const RecordArray& records,
                             UndoJournal& journal) {
    const int error =
        StillOurs(path) ? WriteChanges(records, journal) : WriteWhole(path, records, journal);
    if (error != 0) {
        Close();
    }
    return error;
}

// New journal entries before the records, and a shorter journal cut after
// them: a crash in between leaves a step whose entries equal the records
// (its undo changes nothing), never records without their undo step.
int WorkingCopyWriter::WriteChanges(const RecordArray& records, UndoJournal& journal) {
    const std::vector<uint8_t>& bytes = journal.Bytes();
    const size_t from = std::min(journal.UnchangedUpTo(), journalOnDisk_);
    int error = WriteAt(fd_, bytes.data() + from, bytes.size() - from, kSessionFileSize + from);
    for (size_t i = 0; error == 0 && i < records.size(); ++i) {
        if (std::memcmp(&records[i], &(*onDisk_)[i], sizeof(ButtonRecord)) != 0) {
            uint8_t image[kRecordSize];
            EncodeRecord(records[i], std::span<uint8_t, kRecordSize>(image));
            error = WriteAt(fd_, image, kRecordSize, i * kRecordSize);
        }
    }
    if (error == 0 && bytes.size() < journalOnDisk_ &&
        ::ftruncate(fd_, static_cast<off_t>(kSessionFileSize + bytes.size())) != 0) {
        error = errno;
    }
    if (error == 0 && ::fdatasync(fd_) != 0) {
        error = errno;
    }
    if (error == 0) {
        *onDisk_ = records;
        journalOnDisk_ = bytes.size();
        journal.MarkWritten();
    }
    return error;
}

int WorkingCopyWriter::WriteWhole(const std::string& path, const RecordArray& records,
                                  UndoJournal& journal) {
    Close();
    if (const int error = WriteWorkingCopyFile(path, records, journal.Bytes()); error != 0) {
        return error;
    }
    fd_ = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd_ < 0) {
        return errno;
    }
    path_ = path;
    *onDisk_ = records;
    journalOnDisk_ = journal.Length();
    journal.MarkWritten();
    return 0;
}

void WorkingCopyWriter::Remove(const std::string& path) {
    Close();
    if (!path.empty()) {
        RemoveFile(path);
    }
}

}  // namespace tamberline

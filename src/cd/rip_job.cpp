#include "cd/rip_job.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "base/file_descriptor.h"
#include "base/little_endian.h"
#include "base/message_box.h"
#include "cd/cd_text.h"

namespace tamberline {

namespace {

constexpr int kChunkSectors = 20;
constexpr int32_t kPregapSectors = 150;

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

bool AllZero(const uint8_t* p, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        if (p[i] != 0) {
            return false;
        }
    }
    return true;
}

// The temporary file of one track: hidden, beside its final name, deleted
// unless it is renamed into place.
class TrackFile {
public:
    explicit TrackFile(std::string folder) : folder_(std::move(folder)) {}
    ~TrackFile() { Discard(); }

    int Create(const std::string& name) {
        temp_ = folder_ + "." + name + ".wav.part";
        fd_ = ::open(temp_.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        return fd_ < 0 ? errno : 0;
    }
    int Write(const uint8_t* p, size_t n) {
        const int error = WriteAll(fd_, p, n);
        if (error == 0) {
            written_ += n;
        }
        return error;
    }
    uint64_t written() const { return written_; }
    int Truncate(uint64_t length) {
        written_ = length;
        return ::ftruncate(fd_, static_cast<off_t>(length)) == 0 ? 0 : errno;
    }
    int Finish(const std::string& name, std::string& finalPath) {
        uint8_t header[44];
        const uint64_t data = written_ > 44 ? written_ - 44 : 0;
        WriteWavHeader(header, static_cast<uint32_t>(data));
        if (::pwrite(fd_, header, 44, 0) != 44) {
            return errno ? errno : EIO;
        }
        if (::fsync(fd_) != 0) {
            return errno;
        }
        const int closed = ::close(fd_);
        fd_ = -1;
        if (closed != 0) {
            return errno;
        }
        for (int tries = 0; tries < 1000; ++tries) {
            finalPath = ChooseWavPath(folder_, name);
            if (::renameat2(AT_FDCWD, temp_.c_str(), AT_FDCWD, finalPath.c_str(),
                            RENAME_NOREPLACE) == 0) {
                temp_.clear();
                return 0;
            }
            if (errno == EINVAL || errno == ENOSYS) {
                // A file system without the no-replace rename.
                if (!Exists(finalPath) && ::rename(temp_.c_str(), finalPath.c_str()) == 0) {
                    temp_.clear();
                    return 0;
                }
            }
            if (errno != EEXIST) {
                return errno;
            }
        }
        return EEXIST;
    }
    void Discard() {
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
        if (!temp_.empty()) {
            ::unlink(temp_.c_str());
            temp_.clear();
        }
    }

private:
    std::string folder_;
    std::string temp_;
    int fd_ = -1;
    uint64_t written_ = 0;
};

}  // namespace

std::vector<RipTrackPlan> PlanRip(const DiscToc& toc) {
    std::vector<RipTrackPlan> plans;
    for (size_t i = 0; i < toc.tracks.size(); ++i) {
        const DiscTrack& track = toc.tracks[i];
        RipTrackPlan plan;
        plan.number = track.number;
        plan.lsn = track.start;
        plan.audio = track.audio;
        int32_t end = toc.leadout;
        if (i + 1 < toc.tracks.size()) {
            const DiscTrack& next = toc.tracks[i + 1];
            end = next.start;
            if (next.pregap) {
                end = std::max(track.start, *next.pregap);
            } else {
                plan.trimSilentTail = true;
            }
        }
        plan.length = std::max(0, end - track.start);
        plans.push_back(plan);
    }
    return plans;
}

uint64_t RipSpaceNeeded(const DiscToc& toc) {
    if (toc.tracks.empty()) {
        return 2048;
    }
    const int64_t sectors = std::max<int64_t>(0, int64_t{toc.leadout} - toc.tracks.front().start);
    return static_cast<uint64_t>(sectors) * kCdSectorBytes + 2048;
}

bool HasFreeSpace(const std::string& folder, uint64_t bytes) {
    struct statvfs vfs {};
    if (::statvfs(folder.c_str(), &vfs) != 0) {
        return true;
    }
    const uint64_t free = static_cast<uint64_t>(vfs.f_bavail) * vfs.f_frsize;
    return free >= bytes;
}

bool EnsureFolderExists(std::string& folder) {
    if (folder.empty()) {
        return false;
    }
    if (folder.back() != '/') {
        folder += '/';
    }
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return std::filesystem::is_directory(folder, ec);
}

std::string ChooseWavPath(const std::string& folder, const std::string& name) {
    std::string path = folder + name + ".wav";
    for (int n = 1; Exists(path); ++n) {
        path = folder + name + " (" + std::to_string(n) + ").wav";
    }
    return path;
}

void WriteWavHeader(uint8_t* out, uint32_t dataSize) {
    std::memcpy(out, "RIFF", 4);
    le::PutU32(out + 4, dataSize + 36);
    std::memcpy(out + 8, "WAVEfmt ", 8);
    le::PutU32(out + 16, 16);
    le::PutU16(out + 20, 1);
    le::PutU16(out + 22, 2);
    le::PutU32(out + 24, 44100);
    le::PutU32(out + 28, 176400);
    le::PutU16(out + 32, 4);
    le::PutU16(out + 34, 16);
    std::memcpy(out + 36, "data", 4);
    le::PutU32(out + 40, dataSize);
}

int FindLeadInEnd(const uint8_t* bytes, size_t frames, int& count) {
    for (size_t f = 0; f < frames; ++f) {
        const auto left = static_cast<int16_t>(le::GetU16(bytes + 4 * f));
        const auto right = static_cast<int16_t>(le::GetU16(bytes + 4 * f + 2));
        count += (left < -327 || left > 327) ? 1 : 0;
        count += (right < -327 || right > 327) ? 1 : 0;
        if (count > 4) {
            return static_cast<int>(f);
        }
    }
    return -1;
}

RipJob::RipJob(RipRequest request, RipEvents& events)
    : request_(std::move(request)), events_(events) {}

RipJob::~RipJob() {
    Cancel();
    Wait();
}

void RipJob::Start() {
    abort_.store(false);
    worker_ = std::thread([this] { Run(); });
}

void RipJob::Wait() {
    if (worker_.joinable()) {
        worker_.join();
    }
}

void RipJob::Run() {
    // Done goes out on every way out of here.
    struct DoneGuard {
        RipEvents& events;
        ~DoneGuard() { events.Done(); }
    } done{events_};

    std::string folder = request_.folder;
    if (!EnsureFolderExists(folder)) {
        events_.Message("Unable to create the\nspecified folder.", mb::kOk | mb::kIconStop);
        return;
    }
    events_.FolderReady(folder);
    std::string error;
    std::unique_ptr<CdDisc> disc = request_.open ? request_.open(request_.source, &error)
                                                 : OpenCdDisc(request_.source, &error);
    if (!disc) {
        events_.Message(error.empty() ? "No disc in drive." : error, mb::kOk | mb::kIconStop);
        return;
    }
    disc->LockTray(true);
    struct Unlock {
        CdDisc& disc;
        ~Unlock() { disc.LockTray(false); }
    } unlock{*disc};

    const std::vector<RipTrackPlan> plans = PlanRip(disc->toc());
    std::vector<uint8_t> buffer(size_t{kChunkSectors} * kCdSectorBytes);
    if (!HasFreeSpace(folder, RipSpaceNeeded(disc->toc()))) {
        events_.Message("Insufficient space for rip.", mb::kOk | mb::kIconStop);
        return;
    }
    std::vector<std::string> titles = request_.names;
    if (titles.empty()) {
        titles = disc->Titles();
    }
    for (const RipTrackPlan& plan : plans) {
        if (abort_.load()) {
            break;
        }
        const size_t index = static_cast<size_t>(plan.number - 1);
        const bool selected = index >= request_.selected.size() || request_.selected[index];
        if (!selected || !plan.audio) {
            continue;
        }
        const std::string title = index < titles.size() ? titles[index] : std::string();
        if (!RipTrack(*disc, plan, TrackFileName(title, plan.number), buffer)) {
            abort_.store(true);
        }
    }
}

bool RipJob::RipTrack(CdDisc& disc, const RipTrackPlan& plan, const std::string& name,
                      std::vector<uint8_t>& buffer) {
    std::string folder = request_.folder;
    EnsureFolderExists(folder);
    events_.TrackStarted(plan.number, plan.length / kChunkSectors + 1);
    struct EndGuard {
        RipEvents& events;
        ~EndGuard() { events.TrackEnded(); }
    } ended{events_};

    TrackFile file(folder);
    auto writeFailed = [&](int error) {
        events_.Message("Unable to write\n" + folder + name + ".wav\n\n" + std::strerror(error) +
                            "\n\nTrack " + std::to_string(plan.number) + " was not ripped.",
                        mb::kOk | mb::kIconStop);
        return false;
    };
    if (int error = file.Create(name); error != 0) {
        return writeFailed(error);
    }
    uint8_t header[44];
    WriteWavHeader(header, 0);
    std::memset(header + 4, 0, 4);
    if (int error = file.Write(header, 44); error != 0) {
        return writeFailed(error);
    }
    bool suppressing = request_.suppressLeadIn;
    int loud = 0;
    int32_t zeroTail = 0;
    const int chunks = plan.length / kChunkSectors;
    const int rest = plan.length % kChunkSectors;
    for (int c = 0; c <= chunks; ++c) {
        if (abort_.load()) {
            return false;  // the partial file goes with `file`
        }
        const int sectors = c < chunks ? kChunkSectors : rest;
        if (sectors == 0) {
            break;
        }
        // The remainder is read whenever suppression is not going on: with
        // it off as well as after it ended (never dropped from every track).
        if (c == chunks && suppressing) {
            break;
        }
        if (request_.beforeChunk) {
            request_.beforeChunk(plan.number, c);
        }
        const size_t bytes = size_t(sectors) * kCdSectorBytes;
        std::memset(buffer.data(), 0, buffer.size());
        if (!disc.ReadAudio(plan.lsn + c * kChunkSectors, static_cast<uint32_t>(sectors),
                            buffer.data())) {
            if (!abort_.load()) {
                events_.Message("The CD could not be read.\nTrack " + std::to_string(plan.number) +
                                    " was not ripped.",
                                mb::kOk | mb::kIconStop);
            }
            return false;
        }
        size_t from = 0;
        if (suppressing) {
            const int frame = FindLeadInEnd(buffer.data(), bytes / 4, loud);
            if (frame < 0) {
                events_.Step(c + 1);
                continue;
            }
            suppressing = false;
            from = size_t(frame) * 4;
        }
        if (int error = file.Write(buffer.data() + from, bytes - from); error != 0) {
            return writeFailed(error);
        }
        for (int s = 0; s < sectors; ++s) {
            const uint8_t* sector = buffer.data() + size_t(s) * kCdSectorBytes;
            zeroTail = AllZero(sector, kCdSectorBytes) ? zeroTail + 1 : 0;
        }
        events_.Step(c + 1);
    }
    if (plan.trimSilentTail && zeroTail > 0) {
        const uint64_t cut = uint64_t(std::min(zeroTail, kPregapSectors)) * kCdSectorBytes;
        const uint64_t keep = file.written() > 44 + cut ? file.written() - cut : 44;
        if (int error = file.Truncate(keep); error != 0) {
            return writeFailed(error);
        }
    }
    std::string finalPath;
    if (int error = file.Finish(name, finalPath); error != 0) {
        return writeFailed(error);
    }
    events_.TrackWritten(plan.number, finalPath);
    return true;
}

}  // namespace tamberline

#include "cd/image_recorder.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "base/file_descriptor.h"
#include "cd/burn_list.h"

namespace tamberline {

namespace {

constexpr size_t kBlock = 2352;

std::string Msf(uint64_t blocks) {
    char text[16];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u", static_cast<unsigned>(blocks / 4500),
                  static_cast<unsigned>(blocks / 75 % 60), static_cast<unsigned>(blocks % 75));
    return text;
}

// A CUE string: no quotes, no control characters, at most 160 bytes.
std::string CueText(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (static_cast<unsigned char>(c) < 0x20)
            continue;
        out.push_back(c == '"' ? '\'' : c);
    }
    if (out.size() > 160) {
        size_t cut = 160;
        while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xc0) == 0x80)
            --cut;
        out.resize(cut);
    }
    return out;
}

std::string BaseName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

struct TempFile {
    std::string temp;
    std::string target;
    int fd = -1;
    int Open(const std::string& path) {
        target = path;
        temp = FolderOf(path) + "/." + BaseName(path) + ".part";
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        return fd < 0 ? errno : 0;
    }
    int Commit() {
        if (::fsync(fd) != 0)
            return errno;
        const int r = ::close(fd);
        fd = -1;
        if (r != 0)
            return errno;
        return 0;
    }
    int Rename() {
        if (::rename(temp.c_str(), target.c_str()) != 0)
            return errno;
        temp.clear();
        return 0;
    }
    ~TempFile() {
        if (fd >= 0)
            ::close(fd);
        if (!temp.empty())
            ::unlink(temp.c_str());
    }
};

}  // namespace

TrackBlockReader::TrackBlockReader(const BurnTrack& track) {
    blocks_ = TrackBlocks(track.dataSize);
    left_ = track.dataSize;
    file_ = std::fopen(track.path.c_str(), "rb");
    if (file_ && ::fseeko(file_, track.dataOffset, SEEK_SET) != 0) {
        std::fclose(file_);
        file_ = nullptr;
    }
}

TrackBlockReader::~TrackBlockReader() {
    if (file_)
        std::fclose(file_);
}

bool TrackBlockReader::Next(uint8_t* block) {
    std::memset(block, 0, kBlock);
    const size_t want = static_cast<size_t>(std::min<uint64_t>(left_, kBlock));
    if (want > 0) {
        if (std::fread(block, 1, want, file_) != want) {
            return false;
        }
        left_ -= want;
    }
    return true;
}

ImageRecorder::ImageRecorder(std::string cuePath, std::string album)
    : cuePath_(std::move(cuePath)), album_(std::move(album)) {}

std::string ImageRecorder::Name() const {
    return cuePath_.empty() ? std::string(kImageRecorderName)
                            : std::string(kImageRecorderName) + ": " + cuePath_;
}

std::string ImageRecorder::CueSheet(const std::string& binName, const std::string& album,
                                    const std::vector<BurnTrack>& tracks,
                                    const std::vector<uint32_t>& blocks) {
    std::string cue = "REM Tamberline audio CD image\n";
    cue += "PERFORMER \"" + CueText(album) + "\"\n";
    cue += "TITLE \"" + CueText(album) + "\"\n";
    cue += "FILE \"" + binName + "\" BINARY\n";
    uint64_t at = 0;
    for (size_t i = 0; i < tracks.size(); ++i) {
        char head[48];
        std::snprintf(head, sizeof head, "  TRACK %02zu AUDIO\n", i + 1);
        cue += head;
        cue += "    TITLE \"" + CueText(tracks[i].title) + "\"\n";
        cue += "    PERFORMER \"" + CueText(album) + "\"\n";
        if (i > 0) {
            cue += "    INDEX 00 " + Msf(at) + "\n";
            at += kPregapBlocks;
        }
        cue += "    INDEX 01 " + Msf(at) + "\n";
        at += blocks[i];
    }
    return cue;
}

std::string ImageRecorder::Burn(const std::vector<BurnTrack>& tracks, BurnEvents& events,
                                const std::atomic<bool>& stop) {
    if (cuePath_.size() < 5 || cuePath_.compare(cuePath_.size() - 4, 4, ".cue") != 0) {
        return "The disc image must be a .cue file.";
    }
    const std::string binPath = cuePath_.substr(0, cuePath_.size() - 4) + ".bin";
    auto failed = [](const std::string& path, int error) {
        return "The disc image could not be written:\n" + path + "\n\n" + std::strerror(error);
    };
    TempFile bin;
    if (int error = bin.Open(binPath); error != 0) {
        return failed(binPath, error);
    }
    std::vector<uint32_t> blocks;
    uint64_t total = 0;
    for (const BurnTrack& t : tracks) {
        blocks.push_back(TrackBlocks(t.dataSize));
        total += blocks.back();
    }
    const int count = static_cast<int>(tracks.size());
    uint8_t block[kBlock];
    uint64_t done = 0;
    events.Preparing();
    for (int j = 0; j < count; ++j) {
        if (stop.load()) {
            return kBurnCancelled;
        }
        events.Compiling(j + 1, count);
        events.TrackProgress(j, count);
        TrackBlockReader reader(tracks[static_cast<size_t>(j)]);
        if (!reader.ok()) {
            return "The file cannot be read:\n" + tracks[static_cast<size_t>(j)].path;
        }
        if (j > 0) {
            std::memset(block, 0, kBlock);
            for (int b = 0; b < kPregapBlocks; ++b) {
                if (int error = WriteAll(bin.fd, block, kBlock); error != 0) {
                    return failed(binPath, error);
                }
            }
        }
        for (uint32_t b = 0; b < reader.blocks(); ++b) {
            if ((b & 63) == 0 && stop.load()) {
                return kBurnCancelled;
            }
            if (!reader.Next(block)) {
                return "The file cannot be read:\n" + tracks[static_cast<size_t>(j)].path;
            }
            if (int error = WriteAll(bin.fd, block, kBlock); error != 0) {
                return failed(binPath, error);
            }
            ++done;
            if ((done % 75) == 0 || done == total) {
                events.BlockProgress(done, total);
            }
        }
    }
    events.ClosingDisc();
    if (int error = bin.Commit(); error != 0) {
        return failed(binPath, error);
    }
    TempFile cue;
    if (int error = cue.Open(cuePath_); error != 0) {
        return failed(cuePath_, error);
    }
    const std::string sheet = CueSheet(BaseName(binPath), album_, tracks, blocks);
    if (int error = WriteAll(cue.fd, reinterpret_cast<const uint8_t*>(sheet.data()), sheet.size());
        error != 0) {
        return failed(cuePath_, error);
    }
    if (int error = cue.Commit(); error != 0) {
        return failed(cuePath_, error);
    }
    if (int error = bin.Rename(); error != 0) {
        return failed(binPath, error);
    }
    if (int error = cue.Rename(); error != 0) {
        return failed(cuePath_, error);
    }
    return "";
}

}  // namespace tamberline

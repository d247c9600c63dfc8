#include "playback/sound/sound_source.h"

#include <fcntl.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>

namespace tamberline {

namespace {

constexpr int kMinRate = 1000;
constexpr int kMaxRate = 768000;
// Past this a declared length is nonsense, not a recording (about 265 days at 48 kHz).
constexpr sf_count_t kMaxFrames = sf_count_t{1} << 40;

SoundType TypeOf(int major) {
    switch (major) {
        case SF_FORMAT_WAV:
        case SF_FORMAT_WAVEX:
        case SF_FORMAT_RF64: return SoundType::kWav;
        case SF_FORMAT_AIFF: return SoundType::kAiff;
        case SF_FORMAT_FLAC: return SoundType::kFlac;
        case SF_FORMAT_OGG: return SoundType::kOgg;
        case SF_FORMAT_MPEG: return SoundType::kMpeg;
        case SF_FORMAT_RAW: return SoundType::kRaw;
        default: return SoundType::kUnknown;
    }
}

void DescribeSubtype(int subtype, SoundFormatInfo& info) {
    switch (subtype) {
        case SF_FORMAT_PCM_S8:
        case SF_FORMAT_PCM_U8: info.format = SoundFormat::kPcm8, info.bits = 8; break;
        case SF_FORMAT_PCM_16: info.format = SoundFormat::kPcm16, info.bits = 16; break;
        case SF_FORMAT_PCM_24: info.format = SoundFormat::kPcm24, info.bits = 24; break;
        case SF_FORMAT_PCM_32: info.format = SoundFormat::kPcm32, info.bits = 32; break;
        case SF_FORMAT_FLOAT: info.format = SoundFormat::kPcmFloat, info.bits = 32; break;
        case SF_FORMAT_DOUBLE: info.format = SoundFormat::kPcmFloat, info.bits = 64; break;
        default: info.format = SoundFormat::kCompressed, info.bits = 0; break;
    }
}

bool RawSubtype(SoundFormat format, int& subtype, int& bytes) {
    switch (format) {
        case SoundFormat::kPcm8: subtype = SF_FORMAT_PCM_U8, bytes = 1; return true;
        case SoundFormat::kPcm16: subtype = SF_FORMAT_PCM_16, bytes = 2; return true;
        case SoundFormat::kPcm24: subtype = SF_FORMAT_PCM_24, bytes = 3; return true;
        case SoundFormat::kPcm32: subtype = SF_FORMAT_PCM_32, bytes = 4; return true;
        case SoundFormat::kPcmFloat: subtype = SF_FORMAT_FLOAT, bytes = 4; return true;
        default: return false;
    }
}

bool IsFloatData(const SoundFormatInfo& info) {
    return info.format == SoundFormat::kPcmFloat;
}

int OpenReadable(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return -1;
    }
    return ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
}

}  // namespace

ssize_t PosixFileReader::ReadAt(int fd, void* out, size_t count, int64_t offset) {
    return ::pread(fd, out, count, offset);
}

namespace sound {

// The bytes of a file, or of a raw stretch of one, seen by libsndfile as a
// whole file; read through the source's FileReader.
struct SoundSource::Region {
    std::shared_ptr<OpenedFile> file;
    std::shared_ptr<FileReader> reader;
    sf_count_t offset = 0;
    sf_count_t length = 0;
    sf_count_t position = 0;
    std::atomic<bool> failed{false};

    static sf_count_t Length(void* self) { return static_cast<Region*>(self)->length; }
    static sf_count_t Seek(sf_count_t offset, int whence, void* self) {
        auto* r = static_cast<Region*>(self);
        sf_count_t base = 0;
        if (whence == SEEK_CUR) {
            base = r->position;
        } else if (whence == SEEK_END) {
            base = r->length;
        }
        r->position = std::clamp<sf_count_t>(base + offset, 0, r->length);
        return r->position;
    }
    static sf_count_t Read(void* out, sf_count_t count, void* self) {
        auto* r = static_cast<Region*>(self);
        sf_count_t done = 0;
        while (done < count && r->position < r->length) {
            const sf_count_t wanted = std::min(count - done, r->length - r->position);
            const ssize_t got =
                r->reader->ReadAt(r->file->Descriptor(), static_cast<char*>(out) + done,
                                  static_cast<size_t>(wanted), r->offset + r->position);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got <= 0) {
                // Short of the length the file had when opened: the disk
                // failed, or the file was cut under us. Either way not its end.
                r->failed.store(true, std::memory_order_relaxed);
                break;
            }
            r->position += got;
            done += got;
        }
        return done;
    }
    static sf_count_t Write(const void*, sf_count_t, void*) { return 0; }
    static sf_count_t Tell(void* self) { return static_cast<Region*>(self)->position; }
};

namespace {
SF_VIRTUAL_IO* RegionIo() {
    static SF_VIRTUAL_IO io = {&SoundSource::Region::Length, &SoundSource::Region::Seek,
                               &SoundSource::Region::Read, &SoundSource::Region::Write,
                               &SoundSource::Region::Tell};
    return &io;
}
}  // namespace

SoundSource::~SoundSource() {
    if (file_ != nullptr) {
        sf_close(file_);
    }
}

OpenedFile::~OpenedFile() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

SoundResult OpenedFile::Open(const std::string& path, std::shared_ptr<OpenedFile>& file) {
    std::shared_ptr<OpenedFile> opened(new OpenedFile());
    opened->fd_ = OpenReadable(path);
    if (opened->fd_ < 0) {
        return SoundResult::kErrFileNotFound;
    }
    struct stat st {};
    if (::fstat(opened->fd_, &st) != 0) {
        return SoundResult::kErrFileBad;
    }
    opened->size_ = st.st_size;
    file = std::move(opened);
    return SoundResult::kOk;
}

SoundResult SoundSource::OpenRegion(std::shared_ptr<OpenedFile> file, int64_t offset,
                                    int64_t length, std::shared_ptr<FileReader> reader,
                                    std::unique_ptr<Region>& region) {
    if (!file || offset < 0 || offset > file->Size() ||
        (length >= 0 && length > file->Size() - offset)) {
        return SoundResult::kErrFileBad;
    }
    region = std::make_unique<Region>();
    region->length = length >= 0 ? length : file->Size() - offset;
    region->file = std::move(file);
    region->reader = reader ? std::move(reader) : std::make_shared<PosixFileReader>();
    region->offset = offset;
    return SoundResult::kOk;
}

SoundResult SoundSource::OpenFile(const std::string& path, std::shared_ptr<FileReader> reader,
                                  std::shared_ptr<SoundSource>& source) {
    std::shared_ptr<OpenedFile> file;
    if (const SoundResult r = OpenedFile::Open(path, file); r != SoundResult::kOk) {
        return r;
    }
    std::shared_ptr<SoundSource> s(new SoundSource());
    if (const SoundResult r = OpenRegion(std::move(file), 0, -1, std::move(reader), s->region_);
        r != SoundResult::kOk) {
        return r;
    }
    SF_INFO info{};
    s->file_ = sf_open_virtual(RegionIo(), SFM_READ, &info, s->region_.get());
    if (s->file_ == nullptr) {
        return SoundResult::kErrFileBad;
    }
    s->format_.type = TypeOf(info.format & SF_FORMAT_TYPEMASK);
    DescribeSubtype(info.format & SF_FORMAT_SUBMASK, s->format_);
    s->channels_ = info.channels;
    s->sampleRate_ = info.samplerate;
    if (info.frames <= 0 || info.frames > kMaxFrames) {
        return SoundResult::kErrFileBad;
    }
    s->frames_ = static_cast<uint64_t>(info.frames);
    const SoundResult measured = s->Measure();
    if (measured == SoundResult::kOk) {
        source = std::move(s);
    }
    return measured;
}

SoundResult SoundSource::OpenRaw(const std::string& path, const RawStreamInfo& info,
                                 std::shared_ptr<FileReader> reader,
                                 std::shared_ptr<SoundSource>& source) {
    std::shared_ptr<OpenedFile> file;
    if (const SoundResult r = OpenedFile::Open(path, file); r != SoundResult::kOk) {
        return r;
    }
    return OpenRaw(std::move(file), info, std::move(reader), source);
}

SoundResult SoundSource::OpenRaw(std::shared_ptr<OpenedFile> file, const RawStreamInfo& info,
                                 std::shared_ptr<FileReader> reader,
                                 std::shared_ptr<SoundSource>& source) {
    int subtype = 0;
    int bytes = 0;
    if (!RawSubtype(info.format, subtype, bytes) || info.channels < 1 ||
        info.channels > kMaxSoundChannels || info.sampleRate < kMinRate ||
        info.sampleRate > kMaxRate || info.fileOffset < 0 || info.length <= 0) {
        return SoundResult::kErrInvalidParam;
    }
    const sf_count_t blockAlign = sf_count_t{bytes} * info.channels;
    const sf_count_t wholeFrames = info.length / blockAlign;
    if (wholeFrames <= 0) {
        return SoundResult::kErrFileBad;
    }
    std::shared_ptr<SoundSource> s(new SoundSource());
    if (const SoundResult r = OpenRegion(std::move(file), info.fileOffset, info.length,
                                         std::move(reader), s->region_);
        r != SoundResult::kOk) {
        return r;
    }
    s->region_->length = wholeFrames * blockAlign;
    SF_INFO sfInfo{};
    sfInfo.format = SF_FORMAT_RAW | subtype | SF_ENDIAN_LITTLE;
    sfInfo.channels = info.channels;
    sfInfo.samplerate = info.sampleRate;
    s->file_ = sf_open_virtual(RegionIo(), SFM_READ, &sfInfo, s->region_.get());
    if (s->file_ == nullptr) {
        return SoundResult::kErrFileBad;
    }
    s->format_.type = SoundType::kRaw;
    DescribeSubtype(subtype, s->format_);
    s->channels_ = info.channels;
    s->sampleRate_ = info.sampleRate;
    s->frames_ = static_cast<uint64_t>(wholeFrames);
    const SoundResult measured = s->Measure();
    if (measured == SoundResult::kOk) {
        source = std::move(s);
    }
    return measured;
}

bool SoundSource::ReadFailed() const {
    return region_->failed.load(std::memory_order_relaxed);
}

SoundResult SoundSource::Measure() {
    if (channels_ < 1 || sampleRate_ < 1) {
        return SoundResult::kErrFileBad;
    }
    if (channels_ > kMaxSoundChannels || sampleRate_ < kMinRate || sampleRate_ > kMaxRate) {
        return SoundResult::kErrFormat;
    }
    format_.channels = channels_;
    playable_.store(frames_, std::memory_order_relaxed);
    return SoundResult::kOk;
}

uint64_t SoundSource::Read(float* out, uint64_t frame, uint64_t count) {
    const std::lock_guard<std::mutex> lock(readMutex_);
    const uint64_t playable = playable_.load(std::memory_order_relaxed);
    if (frame >= playable) {
        return 0;
    }
    count = std::min(count, playable - frame);
    if (frame != decoderFrame_) {
        if (sf_seek(file_, static_cast<sf_count_t>(frame), SEEK_SET) !=
            static_cast<sf_count_t>(frame)) {
            playable_.store(frame, std::memory_order_release);
            return 0;
        }
        decoderFrame_ = frame;
    }
    const sf_count_t got = sf_readf_float(file_, out, static_cast<sf_count_t>(count));
    const uint64_t n = got > 0 ? static_cast<uint64_t>(got) : 0;
    decoderFrame_ = frame + n;
    if (n < count) {
        playable_.store(frame + n, std::memory_order_release);
    }
    if (IsFloatData(format_)) {
        // A damaged float file must not put NaN or huge values on the shared mix bus.
        for (uint64_t i = 0; i < n * static_cast<uint64_t>(channels_); ++i) {
            if (!std::isfinite(out[i])) {
                out[i] = 0.0f;
            } else {
                out[i] = std::clamp(out[i], -16.0f, 16.0f);
            }
        }
    }
    return n;
}

}  // namespace sound
}  // namespace tamberline

#include "cd/cd_disc.h"

#include <cdio/cdio.h>
#include <cdio/cdtext.h>
#include <cdio/logging.h>
#include <cdio/mmc_ll_cmds.h>
#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "cd/cd_text.h"

namespace tamberline {

namespace {

void QuietLog(cdio_log_level_t, const char*) {}

void InitCdio() {
    static std::once_flag once;
    std::call_once(once, [] {
        cdio_init();
        cdio_log_set_handler(QuietLog);
    });
}

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

class LibcdioDisc final : public CdDisc {
public:
    LibcdioDisc(CdIo_t* cdio, DiscToc toc, bool real)
        : cdio_(cdio), toc_(std::move(toc)), real_(real) {}
    ~LibcdioDisc() override {
        if (paranoia_) {
            cdio_paranoia_free(paranoia_);
        }
        if (drive_) {
            cdio_cddap_close_no_free_cdio(drive_);
        }
        cdio_destroy(cdio_);
    }

    const DiscToc& toc() const override { return toc_; }
    bool IsRealDrive() const override { return real_; }

    std::vector<std::string> Titles() override {
        const int n = toc_.lastTrack();
        std::vector<std::string> titles(static_cast<size_t>(n));
        if (real_) {
            if (uint8_t* raw = cdio_get_cdtext_raw(cdio_)) {
                // The buffer is as long as its header says (libcdio sizes it so).
                const size_t size = ((size_t{raw[0]} << 8) | raw[1]) + 2;
                titles = CdTextTitles(raw, size, n);
                cdio_free(raw);
                return titles;
            }
        }
        if (cdtext_t* text = cdio_get_cdtext(cdio_)) {
            for (int t = 1; t <= n; ++t) {
                if (const char* title =
                        cdtext_get_const(text, CDTEXT_FIELD_TITLE, static_cast<track_t>(t))) {
                    titles[static_cast<size_t>(t - 1)] = title;
                }
            }
        }
        return titles;
    }

    bool ReadAudio(int32_t lsn, uint32_t sectors, uint8_t* out) override {
        if (!real_) {
            return cdio_read_audio_sectors(cdio_, out, lsn, sectors) == DRIVER_OP_SUCCESS;
        }
        if (!StartParanoia()) {
            return cdio_read_audio_sectors(cdio_, out, lsn, sectors) == DRIVER_OP_SUCCESS;
        }
        if (lsn != next_) {
            cdio_paranoia_seek(paranoia_, lsn, SEEK_SET);
        }
        for (uint32_t i = 0; i < sectors; ++i) {
            int16_t* data = cdio_paranoia_read_limited(paranoia_, nullptr, 20);
            if (data == nullptr) {
                next_ = -1;
                return false;
            }
            std::memcpy(out + size_t{i} * kCdSectorBytes, data, kCdSectorBytes);
        }
        next_ = lsn + static_cast<int32_t>(sectors);
        return true;
    }

    bool LockTray(bool lock) override {
        if (!real_) {
            return true;
        }
        return mmc_prevent_allow_medium_removal(cdio_, false, lock, 0) == DRIVER_OP_SUCCESS;
    }

private:
    bool StartParanoia() {
        if (paranoia_) {
            return true;
        }
        if (triedParanoia_) {
            return false;
        }
        triedParanoia_ = true;
        drive_ = cdio_cddap_identify_cdio(cdio_, CDDA_MESSAGE_FORGETIT, nullptr);
        if (!drive_ || cdio_cddap_open(drive_) != 0) {
            return false;
        }
        paranoia_ = cdio_paranoia_init(drive_);
        if (paranoia_) {
            cdio_paranoia_modeset(paranoia_, PARANOIA_MODE_FULL ^ PARANOIA_MODE_NEVERSKIP);
        }
        return paranoia_ != nullptr;
    }

    CdIo_t* cdio_;
    DiscToc toc_;
    bool real_;
    bool triedParanoia_ = false;
    cdrom_drive_t* drive_ = nullptr;
    cdrom_paranoia_t* paranoia_ = nullptr;
    int32_t next_ = -1;
};

// libcdio looks for the data files a TOC names relative to the working
// folder, not the TOC's own: a copy with absolute names is opened instead.
std::string TocWithAbsoluteNames(const std::string& tocPath) {
    std::FILE* in = std::fopen(tocPath.c_str(), "rb");
    if (!in) {
        return {};
    }
    std::string text;
    char chunk[4096];
    size_t n = 0;
    while ((n = std::fread(chunk, 1, sizeof chunk, in)) > 0 && text.size() < (1u << 20)) {
        text.append(chunk, n);
    }
    std::fclose(in);
    const size_t slash = tocPath.rfind('/');
    std::string folder = slash == std::string::npos ? "./" : tocPath.substr(0, slash + 1);
    if (!folder.empty() && folder[0] != '/') {
        char cwd[4096];
        if (::getcwd(cwd, sizeof cwd))
            folder = std::string(cwd) + "/" + folder;
    }
    std::string out;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t quote = text.find('"', pos);
        if (quote == std::string::npos) {
            out.append(text, pos, std::string::npos);
            break;
        }
        // The word before the quote names a file?
        size_t wordEnd = quote;
        while (wordEnd > pos && (text[wordEnd - 1] == ' ' || text[wordEnd - 1] == '\t'))
            --wordEnd;
        size_t wordStart = wordEnd;
        while (wordStart > 0 && std::isalpha(static_cast<unsigned char>(text[wordStart - 1])))
            --wordStart;
        const std::string word = text.substr(wordStart, wordEnd - wordStart);
        const size_t close = text.find('"', quote + 1);
        if (close == std::string::npos) {
            out.append(text, pos, std::string::npos);
            break;
        }
        out.append(text, pos, quote + 1 - pos);
        std::string name = text.substr(quote + 1, close - quote - 1);
        if ((word == "FILE" || word == "AUDIOFILE" || word == "DATAFILE") && !name.empty() &&
            name[0] != '/') {
            name = folder + name;
        }
        out += name + '"';
        pos = close + 1;
    }
    char temp[] = "/tmp/tamberline-XXXXXX.toc";
    const int fd = ::mkstemps(temp, 4);
    if (fd < 0) {
        return {};
    }
    const bool ok = ::write(fd, out.data(), out.size()) == static_cast<ssize_t>(out.size());
    ::close(fd);
    if (!ok) {
        ::unlink(temp);
        return {};
    }
    return temp;
}

}  // namespace

bool IsCdImagePath(const std::string& source) {
    const std::string lower = Lower(source);
    for (const char* ext : {".cue", ".toc", ".nrg"}) {
        if (lower.size() > 4 && lower.compare(lower.size() - 4, 4, ext) == 0) {
            return true;
        }
    }
    return false;
}

std::unique_ptr<CdDisc> OpenCdDisc(const std::string& source, std::string* error) {
    InitCdio();
    auto fail = [error](const char* text) -> std::unique_ptr<CdDisc> {
        if (error) {
            *error = text;
        }
        return nullptr;
    };
    const bool image = IsCdImagePath(source);
    CdIo_t* cdio = nullptr;
    if (image) {
        const std::string lower = Lower(source);
        const driver_id_t driver = lower.ends_with(".cue")   ? DRIVER_BINCUE
                                   : lower.ends_with(".toc") ? DRIVER_CDRDAO
                                                             : DRIVER_NRG;
        if (driver == DRIVER_CDRDAO) {
            const std::string copy = TocWithAbsoluteNames(source);
            if (!copy.empty()) {
                cdio = cdio_open(copy.c_str(), driver);
                ::unlink(copy.c_str());
            }
        } else {
            cdio = cdio_open(source.c_str(), driver);
        }
    } else {
        cdio = cdio_open(source.c_str(), DRIVER_DEVICE);
    }
    if (cdio == nullptr) {
        return fail(image ? "The disc image cannot be read." : "No disc in drive.");
    }
    const track_t first = cdio_get_first_track_num(cdio);
    const track_t count = cdio_get_num_tracks(cdio);
    if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || count == 0 || count > 99) {
        cdio_destroy(cdio);
        return fail("The disc has no table of contents.");
    }
    DiscToc toc;
    bool anyAudio = false;
    for (int t = first; t < first + count; ++t) {
        DiscTrack track;
        track.number = t;
        track.start = cdio_get_track_lsn(cdio, static_cast<track_t>(t));
        track.audio = cdio_get_track_format(cdio, static_cast<track_t>(t)) == TRACK_FORMAT_AUDIO;
        const lsn_t pregap = cdio_get_track_pregap_lsn(cdio, static_cast<track_t>(t));
        if (pregap != CDIO_INVALID_LSN && pregap <= track.start) {
            track.pregap = pregap;
        }
        if (track.start == CDIO_INVALID_LSN || track.start < 0 ||
            (!toc.tracks.empty() && track.start <= toc.tracks.back().start)) {
            cdio_destroy(cdio);
            return fail("The disc's table of contents is damaged.");
        }
        anyAudio = anyAudio || track.audio;
        toc.tracks.push_back(track);
    }
    toc.leadout = cdio_get_track_lsn(cdio, CDIO_CDROM_LEADOUT_TRACK);
    if (toc.leadout == CDIO_INVALID_LSN || toc.leadout <= toc.tracks.back().start || !anyAudio) {
        cdio_destroy(cdio);
        return fail(anyAudio ? "The disc's table of contents is damaged." : "No audio CD.");
    }
    return std::make_unique<LibcdioDisc>(cdio, std::move(toc), !image);
}

std::vector<std::string> ListCdDrives() {
    InitCdio();
    std::vector<std::string> drives;
    if (char** list = cdio_get_devices(DRIVER_DEVICE)) {
        for (char** d = list; *d != nullptr; ++d) {
            drives.emplace_back(*d);
        }
        cdio_free_device_list(list);
    }
    return drives;
}

bool EjectCd(const std::string& source) {
    InitCdio();
    if (IsCdImagePath(source)) {
        return false;
    }
    return cdio_eject_media_drive(source.c_str()) == DRIVER_OP_SUCCESS;
}

}  // namespace tamberline

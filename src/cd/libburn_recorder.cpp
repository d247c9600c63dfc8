#include "cd/libburn_recorder.h"

#include <fcntl.h>
#include <libburn/libburn.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>

#include "cd/burn_errors.h"
#include "cd/burn_list.h"

namespace tamberline {

using namespace burn;

namespace {

std::mutex& LibburnMutex() {
    static std::mutex mutex;
    return mutex;
}

bool InitLibburn() {
    static const bool ok = [] {
        if (!burn_initialize()) {
            return false;
        }
        burn_msgs_set_severities(const_cast<char*>("NEVER"), const_cast<char*>("NEVER"),
                                 const_cast<char*>("tamberline: "));
        return true;
    }();
    return ok;
}

// A drive that has not told its disc state within this time is reported
// as not ready rather than waited on for ever.
constexpr auto kReadyTimeout = std::chrono::seconds(30);

std::string LastLibburnMessage(const std::string& fallback = "") {
    int code = 0;
    int os = 0;
    char text[BURN_MSGS_MESSAGE_LEN] = {};
    char severity[80] = {};
    std::string last;
    while (burn_msgs_obtain(const_cast<char*>("ALL"), &code, text, &os, severity) > 0) {
        last = text;
    }
    return last.empty() ? fallback : last;
}

}  // namespace

LibburnRecorder::LibburnRecorder(std::string address, std::string label)
    : address_(std::move(address)), label_(std::move(label)) {}

std::vector<std::unique_ptr<Recorder>> ScanLibburnRecorders() {
    std::vector<std::unique_ptr<Recorder>> recorders;
    std::lock_guard lock(LibburnMutex());
    if (!InitLibburn()) {
        return recorders;
    }
    burn_drive_info* infos = nullptr;
    unsigned int count = 0;
    if (burn_drive_scan(&infos, &count) <= 0 || infos == nullptr) {
        return recorders;
    }
    for (unsigned int i = 0; i < count; ++i) {
        char adr[BURN_DRIVE_ADR_LEN] = {};
        if (burn_drive_get_adr(&infos[i], adr) <= 0) {
            continue;
        }
        if (!(infos[i].write_cdr || infos[i].write_cdrw)) {
            continue;
        }
        std::string label = std::string(adr) + "\\CD Drive";
        recorders.push_back(std::make_unique<LibburnRecorder>(adr, label));
    }
    burn_drive_info_free(infos);
    return recorders;
}

std::string LibburnRecorder::Burn(const std::vector<BurnTrack>& tracks, BurnEvents& events,
                                  const std::atomic<bool>& stop) {
    std::lock_guard lock(LibburnMutex());
    if (!InitLibburn()) {
        return BurnErrorText(imapi::kNotInitialized, "The recorder library could not start.");
    }
    burn_drive_info* infos = nullptr;
    char adr[BURN_DRIVE_ADR_LEN] = {};
    std::strncpy(adr, address_.c_str(), sizeof adr - 1);
    if (burn_drive_scan_and_grab(&infos, adr, 1) != 1 || infos == nullptr) {
        return BurnErrorText(imapi::kDeviceNotAccessible,
                             LastLibburnMessage("The drive " + address_ + " cannot be opened."));
    }
    burn_drive* drive = infos[0].drive;
    struct Release {
        burn_drive* drive;
        burn_drive_info* infos;
        bool eject = false;
        ~Release() {
            burn_drive_release(drive, eject ? 1 : 0);
            burn_drive_info_free(infos);
        }
    } release{drive, infos};

    burn_disc_status status;
    const auto giveUp = std::chrono::steady_clock::now() + kReadyTimeout;
    while ((status = burn_disc_get_status(drive)) == BURN_DISC_UNREADY &&
           std::chrono::steady_clock::now() < giveUp) {
        if (stop.load()) {
            return kBurnCancelled;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    int profile = 0;
    char profileName[80] = {};
    if (burn_disc_get_profile(drive, &profile, profileName) <= 0) {
        profile = 0;
    }
    if (const uint32_t code = DiscStatusCode(status, profile); code != 0) {
        return BurnErrorText(code, DiscStatusDetail(status));
    }
    burn_disc* disc = burn_disc_create();
    burn_session* session = burn_session_create();
    burn_disc_add_session(disc, session, BURN_POS_END);
    std::vector<int> fds;
    std::string error;
    const int count = static_cast<int>(tracks.size());
    for (int j = 0; j < count && error.empty(); ++j) {
        const BurnTrack& t = tracks[static_cast<size_t>(j)];
        events.Compiling(j + 1, count);
        const int fd = ::open(t.path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0 || ::lseek(fd, t.dataOffset, SEEK_SET) < 0) {
            if (fd >= 0)
                ::close(fd);
            error = BurnErrorText(imapi::kFileAccess, "The file cannot be read:\n" + t.path);
            break;
        }
        fds.push_back(fd);
        const off_t padded = off_t{TrackBlocks(t.dataSize)} * 2352;
        burn_track* track = burn_track_create();
        burn_track_define_data(track, 0, static_cast<int>(padded - t.dataSize), 1, BURN_AUDIO);
        burn_source* source = burn_fd_source_new(fd, -1, t.dataSize);
        if (source == nullptr || burn_track_set_source(track, source) != BURN_SOURCE_OK) {
            error =
                BurnErrorText(imapi::kTrackOpen, "The track of " + t.path + " cannot be set up.");
        }
        if (source)
            burn_source_free(source);
        burn_track_set_cdtext(track, 0, 0x80, const_cast<char*>(""),
                              reinterpret_cast<unsigned char*>(const_cast<char*>(t.title.c_str())),
                              static_cast<int>(t.title.size() + 1), 0);
        burn_session_add_track(session, track, BURN_POS_END);
        burn_track_free(track);
        events.AddProgress(static_cast<uint64_t>(j + 1), static_cast<uint64_t>(count));
    }
    if (error.empty() && stop.load()) {
        error = kBurnCancelled;
    }
    if (error.empty()) {
        burn_write_opts* opts = burn_write_opts_new(drive);
        burn_write_opts_set_perform_opc(opts, 0);
        burn_write_opts_set_underrun_proof(opts, 1);
        char reasons[BURN_REASONS_LEN] = {};
        if (burn_write_opts_auto_write_type(opts, disc, reasons, 0) == BURN_WRITE_NONE) {
            error = BurnErrorText(imapi::kWrongFormat,
                                  "The drive cannot write this audio CD:\n" + std::string(reasons));
        } else {
            burn_drive_set_speed(drive, 0, 0);
            events.Preparing();
            burn_disc_write(opts, disc);
            burn_progress progress{};
            int lastTrack = -1;
            bool cancelled = false;
            while (burn_drive_get_status(drive, &progress) != BURN_DRIVE_IDLE) {
                if (stop.load() && !cancelled) {
                    burn_drive_cancel(drive);
                    cancelled = true;
                }
                if (progress.track != lastTrack && progress.tracks > 0) {
                    lastTrack = progress.track;
                    events.TrackProgress(progress.track, progress.tracks);
                }
                events.BlockProgress(static_cast<uint64_t>(std::max(progress.sector, 0)),
                                     static_cast<uint64_t>(std::max(progress.sectors, 0)));
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
            }
            events.ClosingDisc();
            if (cancelled) {
                error = kBurnCancelled;
            } else if (!burn_drive_wrote_well(drive)) {
                error = BurnErrorText(imapi::kDiscError);
            } else {
                release.eject = true;
            }
        }
        burn_write_opts_free(opts);
    }
    burn_disc_free(disc);
    burn_session_free(session);
    for (int fd : fds)
        ::close(fd);
    return error;
}

}  // namespace tamberline

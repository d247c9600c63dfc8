// The copy engine against cp on the same disk, in the same run: 2 GiB of
// samples cloned by the engine (progress polled as the dialog does, every
// file flushed to disk before it is renamed into place) and copied by
// `cp -r`, with and without the sync that puts cp's copy on disk as well.
// Then a copy cancelled after one second: how long the cancel takes, and
// that it leaves no part file. The files live in a temporary folder
// (TMPDIR, or the folder given as the first argument) and are removed.
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "session/archive/copy_control.h"
#include "session/archive/copy_engine.h"
#include "session/archive/copy_plan.h"
#include "session/session_file.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace tamberline;

constexpr int kFiles = 16;
constexpr size_t kFileBytes = size_t{128} << 20;  // 16 x 128 MiB = 2 GiB

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

void WriteSamples(const std::string& folder, RecordArray& records) {
    fs::create_directories(folder);
    std::mt19937_64 random(42);
    std::vector<uint64_t> block((4u << 20) / sizeof(uint64_t));
    for (int i = 0; i < kFiles; ++i) {
        const std::string path = folder + "sample" + std::to_string(i) + ".wav";
        std::ofstream out(path, std::ios::binary);
        for (size_t done = 0; done < kFileBytes; done += block.size() * sizeof(uint64_t)) {
            for (uint64_t& word : block) {
                word = random();
            }
            out.write(reinterpret_cast<const char*>(block.data()),
                      static_cast<std::streamsize>(block.size() * sizeof(uint64_t)));
        }
        ButtonRecord& record = records[static_cast<size_t>(i)];
        SetPath(record, path);
        record.status = STATUS_ASSIGNED;
    }
}

struct EngineRun {
    double seconds = 0;
    int polls = 0;
    double longestPollGapMs = 0;
    double cancelMs = -1;
    CopyOutcome::Kind kind = CopyOutcome::Kind::kDone;
};

// Clones the session while another thread polls the progress as the
// dialog does; with `cancelAfter` set, cancels then.
EngineRun Clone(const std::string& session, const std::string& clone, double cancelAfter) {
    SessionCopy copy;
    const std::string refusal =
        PlanSessionCopy(CopyMode::kCloneSession, session, clone, false, copy);
    if (!refusal.empty()) {
        std::fprintf(stderr, "%s\n", refusal.c_str());
        std::exit(1);
    }
    CopyControl control;
    EngineRun run;
    std::atomic<bool> finished{false};
    Clock::time_point cancelledAt;
    const Clock::time_point start = Clock::now();
    std::thread poller([&] {
        Clock::time_point last = Clock::now();
        while (!finished) {
            std::this_thread::sleep_for(std::chrono::milliseconds(40));
            control.Snapshot();
            const double gap = Seconds(last) * 1000;
            run.longestPollGapMs = std::max(run.longestPollGapMs, gap);
            last = Clock::now();
            ++run.polls;
            if (cancelAfter > 0 && !control.Cancelled() && Seconds(start) > cancelAfter) {
                cancelledAt = Clock::now();
                control.Cancel();
            }
        }
    });
    run.kind = RunSessionCopy(copy, control).kind;
    const Clock::time_point end = Clock::now();
    run.seconds = std::chrono::duration<double>(end - start).count();
    finished = true;
    poller.join();
    if (control.Cancelled()) {
        run.cancelMs = std::chrono::duration<double>(end - cancelledAt).count() * 1000;
    }
    return run;
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path base = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path();
    std::string root = (base / "archive_bench.XXXXXX").string();
    if (::mkdtemp(root.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    root += "/";
    const double gib = static_cast<double>(kFiles) * static_cast<double>(kFileBytes) / (1 << 30);
    std::printf("archive_bench: %d samples, %.2f GiB, in %s\n", kFiles, gib, root.c_str());
    auto records = std::make_unique<RecordArray>();
    WriteSamples(root + "show/", *records);
    WriteSessionFile(root + "show/Show.dbf", *records);
    ::sync();

    Clock::time_point start = Clock::now();
    const std::string command = "cp -r '" + root + "show' '" + root + "cp_copy'";
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "cp failed\n");
        return 1;
    }
    const double cpSeconds = Seconds(start);
    ::sync();
    const double cpSyncSeconds = Seconds(start);

    fs::create_directories(root + "clone/");
    const EngineRun engine = Clone(root + "show/Show.dbf", root + "clone/Show.dbf", 0);
    const double engineSyncStart = Seconds(start);
    ::sync();
    const double engineSync = Seconds(start) - engineSyncStart;

    std::printf("cp -r:              %6.2f s  %7.1f MiB/s\n", cpSeconds, gib * 1024 / cpSeconds);
    std::printf("cp -r + sync:       %6.2f s  %7.1f MiB/s\n", cpSyncSeconds,
                gib * 1024 / cpSyncSeconds);
    std::printf("engine (on disk):   %6.2f s  %7.1f MiB/s  (sync after it %.2f s)\n",
                engine.seconds, gib * 1024 / engine.seconds, engineSync);
    std::printf("engine / cp:        %6.2f   engine / (cp + sync): %.2f\n",
                cpSeconds / engine.seconds, cpSyncSeconds / engine.seconds);
    std::printf("progress polls:     %d, longest gap %.1f ms\n", engine.polls,
                engine.longestPollGapMs);

    fs::remove_all(root + "clone/");
    fs::remove_all(root + "cp_copy/");
    fs::create_directories(root + "cancelled/");
    const EngineRun cancelled = Clone(root + "show/Show.dbf", root + "cancelled/Show.dbf", 1.0);
    size_t left = 0;
    bool partLeft = false;
    for (const auto& entry : fs::directory_iterator(root + "cancelled/")) {
        ++left;
        partLeft = partLeft || entry.path().string().find(".part") != std::string::npos;
    }
    std::printf(
        "cancel after 1 s:   %s in %.1f ms; %zu whole files left, part file: %s, "
        "session written: %s\n",
        cancelled.kind == CopyOutcome::Kind::kCancelled ? "cancelled" : "NOT cancelled",
        cancelled.cancelMs, left, partLeft ? "YES" : "no",
        fs::exists(root + "cancelled/Show.dbf") ? "YES" : "no");
    fs::remove_all(root);
    return 0;
}

// Ripping a 10-minute disc image: our ripper (libcdio, 20-sector reads, WAV
// through a temporary name) against cd-paranoia on the same image in the same
// run. Prints seconds and MB/s of each; not a test.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>

#include "cd/rip_job.h"

namespace {

class Quiet final : public tamberline::RipEvents {
public:
    void TrackStarted(int, int) override {}
    void Step(int) override {}
    void TrackEnded() override {}
    void Message(const std::string& text, unsigned) override {
        std::fprintf(stderr, "%s\n", text.c_str());
    }
    void Done() override {}
};

double Seconds(const std::function<void()>& fn) {
    const auto start = std::chrono::steady_clock::now();
    fn();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main() {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / "tamberline-rip-bench";
    fs::remove_all(dir);
    fs::create_directories(dir / "ours");
    constexpr size_t kBytes = size_t{10} * 60 * 75 * 2352;  // 10 minutes
    {
        std::ofstream bin(dir / "ten.bin", std::ios::binary);
        std::mt19937 random(7);
        std::string block(2352, '\0');
        for (size_t done = 0; done < kBytes; done += block.size()) {
            for (char& c : block)
                c = static_cast<char>(random());
            bin << block;
        }
        std::ofstream(dir / "ten.cue")
            << "FILE \"ten.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n";
    }
    const double mb = kBytes / 1e6;
    for (int round = 0; round < 3; ++round) {
        fs::remove_all(dir / "ours");
        const double ours = Seconds([&] {
            Quiet events;
            tamberline::RipRequest request;
            request.source = (dir / "ten.cue").string();
            request.folder = (dir / "ours").string();
            request.suppressLeadIn = false;
            tamberline::RipJob job(request, events);
            job.Start();
            job.Wait();
        });
        fs::remove(dir / "paranoia.wav");
        const std::string command = "cd-paranoia -q -d '" + (dir / "ten.cue").string() + "' 1 '" +
                                    (dir / "paranoia.wav").string() + "' >/dev/null 2>&1";
        int status = 0;
        const double theirs = Seconds([&] { status = std::system(command.c_str()); });
        std::printf("round %d: tamberline %.2f s (%.0f MB/s)   cd-paranoia %s %.2f s (%.0f MB/s)\n",
                    round + 1, ours, mb / ours, status == 0 ? "" : "(failed)", theirs, mb / theirs);
    }
    fs::remove_all(dir);
    return 0;
}

// The walk of the lost-sample search over a tree of 1,000,000 files, beside
// `find -name` over the same tree in the same run. Prints figures; the
// median of three runs each, after one warm-up of both.
//   search_bench [folder-for-the-tree]   (default: a fresh folder in /tmp)
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "session/sample_search.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr int kTop = 10;
constexpr int kFolders = 100;  // under each top folder
constexpr int kFiles = 1000;   // in each folder: 10 x 100 x 1000 files

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double Median(const std::function<void()>& run) {
    std::vector<double> times;
    for (int i = 0; i < 3; ++i) {
        const auto start = Clock::now();
        run();
        times.push_back(Ms(Clock::now() - start));
    }
    std::sort(times.begin(), times.end());
    return times[1];
}

void MakeTree(const std::string& root) {
    for (int t = 0; t < kTop; ++t) {
        for (int f = 0; f < kFolders; ++f) {
            const std::string folder =
                root + "/t" + std::to_string(t) + "/f" + std::to_string(f) + "/";
            fs::create_directories(folder);
            for (int i = 0; i < kFiles; ++i) {
                const std::string file = folder + "take " + std::to_string(i) + ".wav";
                const int fd = ::open(file.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
                if (fd >= 0) {
                    ::close(fd);
                }
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::string base = argc > 1 ? argv[1] : fs::temp_directory_path().string();
    const std::string root = base + "/search_bench_tree_" + std::to_string(::getpid());
    std::printf("making %d files in %s\n", kTop * kFolders * kFiles, root.c_str());
    const auto made = Clock::now();
    MakeTree(root);
    std::printf("made in %.0f ms\n", Ms(Clock::now() - made));

    // A name no file has: both walk the whole tree.
    const std::string name = "missing sample.wav";
    tamberline::RecordArray records{};
    tamberline::SetPath(records[0], "D:\\Show\\" + name);
    records[0].status = tamberline::STATUS_LOST;
    records[0].fileSize = 1234;
    tamberline::SampleSearchPlaces places;
    places.roots = {root};
    const std::atomic<bool> cancel{false};
    int folders = 0;
    const auto walk = [&] {
        tamberline::RecordArray copy = records;
        folders = 0;
        tamberline::SearchLostSamples(copy, places, cancel, [&](const std::string&) { ++folders; });
    };
    const std::string command = "find '" + root + "' -name '" + name + "' > /dev/null";
    const auto find = [&] {
        if (std::system(command.c_str()) != 0) {
            std::printf("find failed\n");
        }
    };
    walk();
    find();
    const double findMs = Median(find);
    const double walkMs = Median(walk);
    // The status lines: one for the index, one per folder walked.
    std::printf("find -name: %.0f ms\nsearch walk: %.0f ms (%d folders)\n", findMs, walkMs,
                folders - 1);
    std::printf("walk speed / find speed: %.2f\n", findMs / walkMs);

    std::error_code error;
    fs::remove_all(root, error);
    return 0;
}

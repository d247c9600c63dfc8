// Folder listing and tree expansion on large folders, beside the shell's
// own tools on the same tree. Prints figures; the median of five runs.
//   files_bench [folder-for-the-tree]   (default: a fresh folder in /tmp)
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "files/folder_listing.h"
#include "files/folder_tree_model.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double Median(const std::function<void()>& run) {
    std::vector<double> times;
    for (int i = 0; i < 5; ++i) {
        const auto start = Clock::now();
        run();
        times.push_back(Ms(Clock::now() - start));
    }
    std::sort(times.begin(), times.end());
    return times[2];
}

void MakeFiles(const std::string& folder, int count) {
    fs::create_directories(folder);
    for (int i = 0; i < count; ++i) {
        std::ofstream(folder + "/Take " + std::to_string(i * 7919 % count) + ".wav") << "x";
    }
}

void MakeFolders(const std::string& folder, int count) {
    fs::create_directories(folder);
    for (int i = 0; i < count; ++i) {
        const std::string sub = folder + "/Cue " + std::to_string(i * 7919 % count);
        ::mkdir(sub.c_str(), 0777);
        if (i % 10 == 0) {
            ::mkdir((sub + "/inner").c_str(), 0777);
        }
    }
}

void Shell(const std::string& command) {
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "failed: %s\n", command.c_str());
    }
}

void Listing(const std::string& folder, int count) {
    using namespace tamberline;
    size_t listed = 0;
    const double natural = Median(
        [&] { listed = ListFolderFiles(folder + "/", "*.wav", ListOrder::kNatural).names.size(); });
    const double byDate =
        Median([&] { ListFolderFiles(folder + "/", "*.wav", ListOrder::kByDate); });
    // How long the event loop waits at most between two progress calls.
    double longestGap = 0;
    auto last = Clock::now();
    ListFolderFiles(folder + "/", "*.wav", ListOrder::kNatural, [&](int) {
        const auto now = Clock::now();
        longestGap = std::max(longestGap, Ms(now - last));
        last = now;
        return true;
    });
    const double ls = Median([&] { Shell("ls -f '" + folder + "' | sort -V > /dev/null"); });
    const double find =
        Median([&] { Shell("find '" + folder + "' -maxdepth 1 -type f > /dev/null"); });
    std::printf(
        "%6d files:   natural %7.1f ms   by date %7.1f ms   (listed %zu; longest gap "
        "between event-loop turns %.2f ms)\n",
        count, natural, byDate, listed, longestGap);
    std::printf("               ls -f | sort -V %7.1f ms   find -maxdepth 1 %7.1f ms\n", ls, find);
}

void Expanding(const std::string& folder, int count) {
    using namespace tamberline;
    int rows = 0;
    const double expand = Median([&] {
        FolderTreeModel model;
        model.AddDrive({folder + "/", DriveType::kFixed}, 8);
        model.Expand(model.index(0, 0));
        rows = model.rowCount(model.index(0, 0));
    });
    const double ls = Median([&] { Shell("ls -f '" + folder + "' | sort -V > /dev/null"); });
    const double find =
        Median([&] { Shell("find '" + folder + "' -mindepth 1 -maxdepth 1 -type d > /dev/null"); });
    std::printf("%6d folders: expand %7.1f ms (%d items, each checked for subfolders)\n", count,
                expand, rows);
    std::printf("               ls -f | sort -V %7.1f ms   find -maxdepth 1 -type d %7.1f ms\n", ls,
                find);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string top =
        argc > 1 ? argv[1] : (fs::temp_directory_path() / "tamberline-files-bench").string();
    fs::remove_all(top);
    for (int count : {10000, 20000}) {
        const std::string files = top + "/files" + std::to_string(count);
        MakeFiles(files, count);
        Listing(files, count);
    }
    const std::string folders = top + "/folders10000";
    MakeFolders(folders, 10000);
    Expanding(folders, 10000);
    fs::remove_all(top);
    return 0;
}

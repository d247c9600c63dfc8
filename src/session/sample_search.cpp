#include "session/sample_search.h"

#include <dirent.h>
#include <sys/stat.h>

#include <QProcess>
#include <QStringList>
#include <algorithm>
#include <bitset>
#include <cctype>
#include <set>
#include <unordered_map>
#include <utility>

#include "base/path_compare.h"
#include "files/drives.h"
#include "session/lost_samples.h"

namespace tamberline {

namespace {

// plocate answers at once; a hung one must not hold the search.
constexpr int kLocateTimeoutMs = 10000;
constexpr const char* kSystemDatabase = "/var/lib/plocate/plocate.db";
// Entries between two looks at the cancel flag inside one big folder.
constexpr int kEntriesPerCancelCheck = 4096;

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lower;
}

bool FileOfSize(const std::string& path, int32_t size) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           static_cast<int32_t>(static_cast<uint32_t>(info.st_size)) == size;
}

// The text locate gets: locate reads "*", "?" and "[" as a pattern and a
// backslash as an escape, so only the longest piece of the name free of
// them is passed; the exact name is compared on the answers.
std::string_view LiteralPiece(std::string_view name) {
    std::string_view best;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find_first_of("*?[]\\", start);
        if (end == std::string_view::npos) {
            end = name.size();
        }
        if (end - start > best.size()) {
            best = name.substr(start, end - start);
        }
        start = end + 1;
    }
    return best;
}

void Assign(ButtonRecord& record, const std::string& path) {
    SetPath(record, path);
    record.status = STATUS_ASSIGNED;
}

// The first file the index holds that is the record's sample; every other
// lost record of the same name and size is the same sample.
void SearchIndex(RecordArray& records, const SampleSearchPlaces& places) {
    for (ButtonRecord& record : records) {
        if (record.status != STATUS_LOST) {
            continue;
        }
        const std::string name(SampleFileName(PathOf(record)));
        for (const std::string& hit : LocateExactName(places.locateDatabase, name)) {
            if (hit.size() >= kPathSize || !FileOfSize(hit, record.fileSize) ||
                (places.onFixedDrive && !places.onFixedDrive(hit))) {
                continue;
            }
            const int32_t size = record.fileSize;
            for (ButtonRecord& other : records) {
                if (other.status == STATUS_LOST && other.fileSize == size &&
                    SamePathIgnoringCase(SampleFileName(PathOf(other)), name)) {
                    Assign(other, hit);
                }
            }
            break;
        }
    }
}

// The depth-first walk: each folder is read once, and every entry whose
// name (letters in any case, as the records were written on a system that
// ignores case) is a lost sample's is looked at for its size.
class Walker {
public:
    Walker(RecordArray& records, const SampleSearchPlaces& places, const std::atomic<bool>& cancel,
           const SearchProgress& progress)
        : records_(records), places_(places), cancel_(cancel), progress_(progress) {
        for (int button = 0; button < kButtonCount; ++button) {
            const ButtonRecord& record = records_[static_cast<size_t>(button)];
            if (record.status != STATUS_LOST) {
                continue;
            }
            const std::string_view name = SampleFileName(PathOf(record));
            if (name.empty()) {
                continue;
            }
            wanted_[Lower(name)].push_back(button);
            lengths_.set(std::min(name.size(), lengths_.size() - 1));
            ++remaining_;
        }
    }

    // False when cancelled.
    bool Walk(const std::string& root) {
        struct stat info {};
        if (remaining_ == 0 || ::stat(root.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
            return !Cancelled();
        }
        if (!visited_.insert({info.st_dev, info.st_ino}).second) {
            return true;
        }
        std::vector<std::string> stack{root};
        const dev_t rootDevice = info.st_dev;
        std::vector<std::string> subfolders;
        while (!stack.empty() && remaining_ > 0) {
            if (Cancelled()) {
                return false;
            }
            const std::string folder = std::move(stack.back());
            stack.pop_back();
            subfolders.clear();
            if (!ReadFolder(folder, subfolders)) {
                return false;
            }
            // Reversed, so that the folder's first sub-folder is walked first.
            for (auto it = subfolders.rbegin(); it != subfolders.rend(); ++it) {
                if (Enter(*it, rootDevice)) {
                    stack.push_back(std::move(*it));
                }
            }
        }
        return !Cancelled();
    }

private:
    bool Cancelled() const { return cancel_.load(std::memory_order_relaxed); }

    // A folder is entered once, and another file system only when it is a
    // fixed drive: never /proc, a stick or a share mounted inside a root.
    bool Enter(const std::string& folder, dev_t rootDevice) {
        struct stat info {};
        if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
            return false;
        }
        if (info.st_dev != rootDevice && places_.onFixedDrive && !places_.onFixedDrive(folder)) {
            return false;
        }
        return visited_.insert({info.st_dev, info.st_ino}).second;
    }

    bool ReadFolder(const std::string& folder, std::vector<std::string>& subfolders) {
        if (progress_) {
            progress_("  " + folder);
        }
        DIR* dir = ::opendir(folder.c_str());
        if (!dir) {
            return true;  // unreadable: nothing to find there
        }
        const std::string prefix = folder.back() == '/' ? folder : folder + '/';
        // Per lost record: the path found here, an exact-case name first.
        std::vector<std::pair<int, std::pair<std::string, bool>>> found;
        int sinceCheck = 0;
        bool cancelled = false;
        while (const dirent* entry = ::readdir(dir)) {
            if (++sinceCheck == kEntriesPerCancelCheck) {
                sinceCheck = 0;
                if (Cancelled()) {
                    cancelled = true;
                    break;
                }
            }
            const std::string_view name(entry->d_name);
            if (name == "." || name == "..") {
                continue;
            }
            if (entry->d_type == DT_DIR || entry->d_type == DT_UNKNOWN) {
                subfolders.push_back(prefix + entry->d_name);
                if (entry->d_type == DT_DIR) {
                    continue;
                }
            }
            if (!lengths_.test(std::min(name.size(), lengths_.size() - 1))) {
                continue;
            }
            lower_.assign(name);
            for (char& c : lower_) {
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            }
            const auto match = wanted_.find(lower_);
            if (match != wanted_.end()) {
                Consider(prefix + entry->d_name, match->second, found);
            }
        }
        ::closedir(dir);
        for (auto& [button, hit] : found) {
            ButtonRecord& record = records_[static_cast<size_t>(button)];
            if (record.status == STATUS_LOST) {
                Assign(record, hit.first);
                --remaining_;
            }
        }
        return !cancelled;
    }

    void Consider(const std::string& path, const std::vector<int>& buttons,
                  std::vector<std::pair<int, std::pair<std::string, bool>>>& found) {
        struct stat info {};
        if (path.size() >= kPathSize || ::stat(path.c_str(), &info) != 0 ||
            !S_ISREG(info.st_mode)) {
            return;
        }
        const auto size = static_cast<int32_t>(static_cast<uint32_t>(info.st_size));
        for (int button : buttons) {
            const ButtonRecord& record = records_[static_cast<size_t>(button)];
            if (record.status != STATUS_LOST || record.fileSize != size) {
                continue;
            }
            const bool exact = SampleFileName(path) == SampleFileName(PathOf(record));
            auto it = std::find_if(found.begin(), found.end(),
                                   [button](const auto& f) { return f.first == button; });
            if (it == found.end()) {
                found.push_back({button, {path, exact}});
            } else if (exact && !it->second.second) {
                it->second = {path, exact};
            }
        }
    }

    RecordArray& records_;
    const SampleSearchPlaces& places_;
    const std::atomic<bool>& cancel_;
    const SearchProgress& progress_;
    std::unordered_map<std::string, std::vector<int>> wanted_;
    std::bitset<256> lengths_;
    int remaining_ = 0;
    std::set<std::pair<dev_t, ino_t>> visited_;
    std::string lower_;
};

}  // namespace

SampleSearchPlaces SystemSearchPlaces() {
    SampleSearchPlaces places;
    places.locateDatabase = kSystemDatabase;
    for (const Drive& drive : SystemDrives()) {
        if (drive.type == DriveType::kFixed) {
            places.roots.push_back(drive.root);
        }
    }
    places.onFixedDrive = [](const std::string& path) {
        return DriveTypeOfPath(path) == DriveType::kFixed;
    };
    return places;
}

std::vector<std::string> LocateExactName(const std::string& database, std::string_view name) {
    struct stat info {};
    const std::string_view piece = LiteralPiece(name);
    if (database.empty() || piece.empty() || ::stat(database.c_str(), &info) != 0) {
        return {};
    }
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(QStringLiteral("plocate"),
                  {QStringLiteral("-d"), QString::fromStdString(database), QStringLiteral("-b"),
                   QStringLiteral("-i"), QStringLiteral("-0"), QStringLiteral("--"),
                   QString::fromUtf8(piece.data(), static_cast<qsizetype>(piece.size()))});
    if (!process.waitForFinished(kLocateTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    const QByteArray output = process.readAllStandardOutput();
    std::vector<std::string> exact;
    std::vector<std::string> otherCase;
    for (const QByteArray& line : output.split('\0')) {
        const std::string path = line.toStdString();
        const std::string_view base = SampleFileName(path);
        if (path.empty() || path.find('\\') != std::string::npos) {
            continue;
        }
        if (base == name) {
            exact.push_back(path);
        } else if (SamePathIgnoringCase(base, name)) {
            otherCase.push_back(path);
        }
    }
    exact.insert(exact.end(), otherCase.begin(), otherCase.end());
    return exact;
}

bool SearchLostSamples(RecordArray& records, const SampleSearchPlaces& places,
                       const std::atomic<bool>& cancel, const SearchProgress& progress) {
    if (progress) {
        progress("    Searching systemDB.");
    }
    SearchIndex(records, places);
    Walker walker(records, places, cancel, progress);
    for (const std::string& root : places.roots) {
        if (!walker.Walk(root)) {
            return false;
        }
    }
    return !cancel.load(std::memory_order_relaxed);
}

SampleSearchJob::SampleSearchJob(const RecordArray& records, SampleSearchPlaces places,
                                 SearchProgress progress, Done done)
    : thread_([this, copy = records, places = std::move(places), progress = std::move(progress),
               done = std::move(done)]() mutable {
          const bool finished = SearchLostSamples(copy, places, cancel_, progress);
          done(finished, copy);
      }) {}

SampleSearchJob::~SampleSearchJob() {
    Cancel();
    thread_.join();
}

}  // namespace tamberline

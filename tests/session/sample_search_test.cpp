#include "session/sample_search.h"

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QProcess>
#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "session/lost_samples.h"
#include "support/temp_dir.h"
#include "support/without_file_override.h"

namespace tamberline {
namespace {

using testing::TempDir;
using testing::WithoutFileOverride;
namespace fs = std::filesystem;

ButtonRecord Lost(const std::string& path, int32_t fileSize) {
    ButtonRecord record{};
    SetPath(record, path);
    record.status = STATUS_LOST;
    record.fileSize = fileSize;
    return record;
}

class SampleSearchTest : public ::testing::Test {
protected:
    std::string Make(const std::string& relative, const std::string& bytes) {
        const fs::path path = fs::path(dir_.Path()) / "tree" / relative;
        fs::create_directories(path.parent_path());
        dir_.Write("tree/" + relative, bytes);
        return path.string();
    }
    std::string Tree() const { return dir_.Path() + "/tree"; }
    SampleSearchPlaces WalkOnly() const {
        SampleSearchPlaces places;
        places.roots = {Tree()};
        return places;
    }
    bool Search(const SampleSearchPlaces& places) {
        const std::atomic<bool> cancel{false};
        return SearchLostSamples(records_, places, cancel, {});
    }
    // A private index of the tree, as updatedb builds the system's.
    std::string BuildDatabase() {
        const std::string database = dir_.File("index.db");
        const int rc = QProcess::execute(
            QStringLiteral("updatedb"),
            {QStringLiteral("-U"), QString::fromStdString(Tree()), QStringLiteral("-o"),
             QString::fromStdString(database), QStringLiteral("-l"), QStringLiteral("0"),
             QStringLiteral("--prunepaths"), QString(), QStringLiteral("--prunefs"), QString()});
        return rc == 0 ? database : std::string();
    }

    TempDir dir_;
    RecordArray records_{};
};

TEST_F(SampleSearchTest, WalkRepairsByNameAndSizeOnly) {
    const std::string moved = Make("deep/er/intro.wav", "12345");
    Make("early/intro.wav", "123");  // same name, another size: another sample
    const std::string windows = Make("show/Jingle.wav", "1234567");
    records_[0] = Lost("/old/intro.wav", 5);
    records_[1] = Lost("/elsewhere/intro.wav", 5);
    records_[2] = Lost("/old/intro.wav", 4);  // no file of this size anywhere
    records_[3] = Lost("D:\\Show\\Jingle.wav", 7);
    records_[4] = Lost("/old/none.wav", 5);

    EXPECT_TRUE(Search(WalkOnly()));

    EXPECT_EQ(PathOf(records_[0]), moved);
    EXPECT_EQ(records_[0].status, STATUS_ASSIGNED);
    EXPECT_EQ(PathOf(records_[1]), moved) << "two buttons of one moved file, one hit";
    EXPECT_EQ(PathOf(records_[2]), "/old/intro.wav");
    EXPECT_EQ(records_[2].status, STATUS_LOST);
    EXPECT_EQ(PathOf(records_[3]), windows);
    EXPECT_EQ(records_[3].status, STATUS_ASSIGNED);
    EXPECT_EQ(records_[4].status, STATUS_LOST);
}

TEST_F(SampleSearchTest, NamesThatDifferOnlyInCase) {
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, std::string>> files;
        std::string wanted;  // "" = stays lost
    };
    const std::vector<Case> cases = {
        {"other case, right size", {{"a/INTRO.WAV", "12345"}}, "a/INTRO.WAV"},
        {"exact case wins", {{"b/INTRO.WAV", "12345"}, {"b/Intro.wav", "12345"}}, "b/Intro.wav"},
        {"size decides over case",
         {{"c/Intro.wav", "123"}, {"c/intro.WAV", "12345"}},
         "c/intro.WAV"},
        {"wrong size in every case", {{"d/Intro.wav", "1"}, {"d/INTRO.wav", "12"}}, ""},
    };
    for (const Case& c : cases) {
        TempDir dir;
        SampleSearchPlaces places;
        places.roots = {dir.Path()};
        for (const auto& [name, bytes] : c.files) {
            fs::create_directories((fs::path(dir.Path()) / name).parent_path());
            dir.Write(name, bytes);
        }
        RecordArray records{};
        records[9] = Lost("D:\\Show\\Intro.wav", 5);
        const std::atomic<bool> cancel{false};
        EXPECT_TRUE(SearchLostSamples(records, places, cancel, {})) << c.what;
        if (c.wanted.empty()) {
            EXPECT_EQ(records[9].status, STATUS_LOST) << c.what;
        } else {
            EXPECT_EQ(PathOf(records[9]), dir.File(c.wanted)) << c.what;
        }
    }
}

TEST_F(SampleSearchTest, SymlinkLoopsAndUnreadableFoldersEndTheWalk) {
    Make("a/readme.txt", "x");
    fs::create_directory_symlink(Tree(), Tree() + "/a/loop");
    fs::create_directory_symlink("../a", Tree() + "/a/up");
    const std::string locked = Make("locked/intro.wav", "12345");
    ::chmod((Tree() + "/locked").c_str(), 0);
    const std::string open = Make("z/intro.wav", "12345");
    records_[0] = Lost("/old/intro.wav", 5);

    bool finished = false;
    {
        const WithoutFileOverride asAUser;
        finished = Search(WalkOnly());
    }
    ::chmod((Tree() + "/locked").c_str(), 0755);

    EXPECT_TRUE(finished);
    EXPECT_EQ(PathOf(records_[0]), open) << "the unreadable folder is passed over";
}

TEST_F(SampleSearchTest, ProgressNamesEachFolderAndCancelStopsTheWalk) {
    Make("a/x.wav", "1");
    Make("b/x.wav", "1");
    Make("c/intro.wav", "12345");
    records_[0] = Lost("/old/intro.wav", 5);
    std::atomic<bool> cancel{false};
    std::vector<std::string> lines;
    const bool finished =
        SearchLostSamples(records_, WalkOnly(), cancel, [&](const std::string& line) {
            lines.push_back(line);
            if (lines.size() == 2) {
                cancel = true;
            }
        });
    EXPECT_FALSE(finished);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "    Searching systemDB.");
    EXPECT_EQ(lines[1], "  " + Tree());
    EXPECT_EQ(records_[0].status, STATUS_LOST) << "a cancelled search repairs nothing more";
    EXPECT_EQ(PathOf(records_[0]), "/old/intro.wav");
}

// A tmpfs inside the tree stands for a second file system: walked when it
// is a fixed drive, passed over when it is a stick or a share.
TEST_F(SampleSearchTest, AnotherFileSystemIsEnteredOnlyWhenFixed) {
    const std::string mountPoint = Tree() + "/mnt";
    fs::create_directories(mountPoint);
    if (::mount("tamberline-test", mountPoint.c_str(), "tmpfs", 0, "size=1m") != 0) {
        GTEST_SKIP() << "cannot mount a tmpfs here";
    }
    struct Unmount {
        std::string path;
        ~Unmount() { ::umount(path.c_str()); }
    } const unmount{mountPoint};
    const std::string inner = Make("mnt/intro.wav", "12345");
    for (const bool fixed : {false, true}) {
        records_[0] = Lost("/old/intro.wav", 5);
        SampleSearchPlaces places = WalkOnly();
        std::vector<std::string> asked;
        places.onFixedDrive = [&](const std::string& path) {
            asked.push_back(path);
            return fixed;
        };
        EXPECT_TRUE(Search(places));
        EXPECT_EQ(asked, std::vector<std::string>{mountPoint}) << "only the other device is asked";
        EXPECT_EQ(records_[0].status, fixed ? STATUS_ASSIGNED : STATUS_LOST) << fixed;
        if (fixed) {
            EXPECT_EQ(PathOf(records_[0]), inner);
        }
    }
}

TEST_F(SampleSearchTest, IndexIsAskedForTheLiteralName) {
    const std::string odd = Make("x/Don't Stop [live].wav", "12345");
    Make("x/Don't Stop [live].wav.bak", "12345");
    Make("x/My Don't Stop [live].wav", "12345");
    Make("y/a.wav", "12345");
    Make("y/ab.wav", "12345");
    const std::string database = BuildDatabase();
    ASSERT_FALSE(database.empty()) << "updatedb failed";

    struct Case {
        const char* what;
        std::string name;
        std::vector<std::string> hits;
    };
    const std::vector<Case> cases = {
        {"quote and brackets", "Don't Stop [live].wav", {odd}},
        {"a star is no pattern", "*.wav", {}},
        {"a question mark is no pattern", "a?.wav", {}},
        {"only the whole name", "b.wav", {}},
        {"case-blind, one file", "A.WAV", {Tree() + "/y/a.wav"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LocateExactName(database, c.name), c.hits) << c.what;
    }
    EXPECT_TRUE(LocateExactName(dir_.File("no-such.db"), "a.wav").empty())
        << "no database: no index service";
}

TEST_F(SampleSearchTest, IndexHitRepairsWithoutAWalk) {
    const std::string hit = Make("far/away/Don't Stop.wav", "12345");
    Make("near/Don't Stop.wav", "123");
    const std::string database = BuildDatabase();
    ASSERT_FALSE(database.empty());
    records_[0] = Lost("D:\\Show\\Don't Stop.wav", 5);
    records_[1] = Lost("/other/DON'T STOP.WAV", 5);
    records_[2] = Lost("/other/Don't Stop.wav", 9);
    SampleSearchPlaces places;
    places.locateDatabase = database;
    EXPECT_TRUE(Search(places));
    EXPECT_EQ(PathOf(records_[0]), hit);
    EXPECT_EQ(PathOf(records_[1]), hit) << "same name in another case, same size";
    EXPECT_EQ(records_[2].status, STATUS_LOST) << "another size is another sample";

    records_[0] = Lost("D:\\Show\\Don't Stop.wav", 5);
    places.onFixedDrive = [](const std::string&) { return false; };
    EXPECT_TRUE(Search(places));
    EXPECT_EQ(records_[0].status, STATUS_LOST) << "hits off the fixed drives are not taken";
}

TEST_F(SampleSearchTest, JobRunsOffTheCallingThreadAndCancelsOnDestruction) {
    Make("a/intro.wav", "12345");
    records_[0] = Lost("/old/intro.wav", 5);
    std::mutex mutex;
    std::condition_variable doneSignal;
    bool done = false;
    bool finished = false;
    RecordArray result{};
    std::thread::id where;
    {
        SampleSearchJob job(records_, WalkOnly(), {}, [&](bool f, const RecordArray& records) {
            const std::lock_guard lock(mutex);
            finished = f;
            result = records;
            where = std::this_thread::get_id();
            done = true;
            doneSignal.notify_one();
        });
        std::unique_lock lock(mutex);
        ASSERT_TRUE(doneSignal.wait_for(lock, std::chrono::seconds(20), [&] { return done; }));
    }
    EXPECT_TRUE(finished);
    EXPECT_NE(where, std::this_thread::get_id());
    EXPECT_EQ(PathOf(result[0]), Tree() + "/a/intro.wav");
    EXPECT_EQ(records_[0].status, STATUS_LOST) << "the job works on its own copy";

    // Destroyed at once: the walk stops, the destructor waits for it.
    std::atomic<bool> ended{false};
    {
        SampleSearchJob job(records_, WalkOnly(), {},
                            [&](bool, const RecordArray&) { ended = true; });
    }
    EXPECT_TRUE(ended);
}

}  // namespace
}  // namespace tamberline

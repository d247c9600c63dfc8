#include "songlist/songlist_entries.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <csignal>
#include <thread>

#include "session/disk_file.h"
#include "songlist/playlist_reader.h"
#include "songlist/songlist_file.h"
#include "songlist/work_queue.h"
#include "support/temp_dir.h"

namespace tamberline {
namespace {

using Paths = std::vector<std::string>;

SonglistEntries Measured(const Paths& paths) {
    SonglistEntries entries;
    entries.Set(paths);
    for (const std::string& path : entries.TakeUnmeasured()) {
        entries.LengthArrived(path, 1000);
    }
    return entries;
}

TEST(SonglistEntriesTest, AddsLandWhereTheSelectionSays) {
    const struct {
        const char* name;
        bool addAll;
        std::set<int> selected;
        Paths result;
    } cases[] = {
        {"add all, nothing selected: appended", true, {}, {"/a", "/b", "/c", "/x", "/y"}},
        {"add all: after the last selected, in order",
         true,
         {0, 1},
         {"/a", "/b", "/x", "/y", "/c"}},
        {"add, nothing selected: appended", false, {}, {"/a", "/b", "/c", "/x", "/y"}},
        {"add: before the last selected, reversed", false, {0, 2}, {"/a", "/b", "/y", "/x", "/c"}},
    };
    for (const auto& c : cases) {
        SonglistEntries entries = Measured({"/a", "/b", "/c"});
        if (c.addAll) {
            entries.AddAfterSelection({"/x", "/y"}, c.selected);
        } else {
            entries.AddBeforeSelection({"/x", "/y"}, c.selected);
        }
        EXPECT_EQ(entries.Paths(), c.result) << c.name;
    }
}

TEST(SonglistEntriesTest, AddedFilesAreKeptOnlyWhenTheyMeasure) {
    SonglistEntries entries = Measured({"/a"});
    entries.AddAfterSelection({"/x.wav", "/notes.txt", "/y.wav"}, {});
    EXPECT_FALSE(entries.Settled());
    EXPECT_EQ(entries.TakeUnmeasured(), (Paths{"/x.wav", "/notes.txt", "/y.wav"}));
    EXPECT_TRUE(entries.TakeUnmeasured().empty()) << "each path is asked for once";

    SonglistEntries::Arrival kept = entries.LengthArrived("/x.wav", 20100);
    EXPECT_TRUE(kept.keptCandidate);
    EXPECT_EQ(kept.changedRows, std::vector<int>{1});
    SonglistEntries::Arrival dropped = entries.LengthArrived("/notes.txt", 0);
    EXPECT_EQ(dropped.rejected, Paths{"/notes.txt"});
    EXPECT_TRUE(dropped.rowsRemoved);
    entries.LengthArrived("/y.wav", 21000);
    EXPECT_TRUE(entries.Settled());
    EXPECT_EQ(entries.Paths(), (Paths{"/a", "/x.wav", "/y.wav"}));

    // Adding a file measured before takes its known length at once.
    const SonglistEntries::Arrival again = entries.AddAfterSelection({"/notes.txt", "/x.wav"}, {});
    EXPECT_EQ(again.rejected, Paths{"/notes.txt"});
    EXPECT_TRUE(again.keptCandidate);
    EXPECT_TRUE(entries.TakeUnmeasured().empty());
    EXPECT_EQ(entries.Paths(), (Paths{"/a", "/x.wav", "/y.wav", "/x.wav"}));
}

TEST(SonglistEntriesTest, ANewListAsksAgainForLengthsNeverDelivered) {
    SonglistEntries entries;
    entries.Set({"/a.wav", "/b.wav"});
    EXPECT_EQ(entries.TakeUnmeasured(), (Paths{"/a.wav", "/b.wav"}));
    entries.LengthArrived("/a.wav", 1000);
    // The editor dropped the queued measurement of b.wav with the old list.
    entries.Set({"/b.wav", "/a.wav"});
    EXPECT_EQ(entries.TakeUnmeasured(), Paths{"/b.wav"});
    EXPECT_TRUE(entries.entries()[1].measured) << "a.wav is known";
    entries.Clear();
    entries.AddAfterSelection({"/b.wav"}, {});
    EXPECT_EQ(entries.TakeUnmeasured(), Paths{"/b.wav"});
}

TEST(SonglistEntriesTest, NamesAnM3uCannotCarryAndSonglistsAreNeverAdded) {
    SonglistEntries entries;
    entries.AddAfterSelection({"/m/Track #1.wav", "/m/set.m3u", "/m/trailing blank.wav ",
                               "/m/a\\b.wav", "/m/line\nbreak.wav", "/m/ lead.wav"},
                              {});
    // A blank inside the path is no blank around the line.
    EXPECT_EQ(entries.TakeUnmeasured(), Paths{"/m/ lead.wav"});
    entries.LengthArrived("/m/ lead.wav", 1000);
    EXPECT_EQ(entries.Paths(), Paths{"/m/ lead.wav"});
}

TEST(SonglistEntriesTest, MissingFilesOfAnOpenedListStayMarked) {
    SonglistEntries entries;
    entries.Set({"/m/a.wav", "/m/gone.wav"});
    entries.TakeUnmeasured();
    EXPECT_EQ(entries.LineText(1, false), "gone.wav") << "not measured yet: no mark";
    entries.LengthArrived("/m/a.wav", 20100);
    const SonglistEntries::Arrival arrival = entries.LengthArrived("/m/gone.wav", 0);
    EXPECT_FALSE(arrival.rowsRemoved);
    EXPECT_EQ(entries.Paths(), (Paths{"/m/a.wav", "/m/gone.wav"}));
    EXPECT_EQ(entries.LineText(0, false), "a.wav");
    EXPECT_EQ(entries.LineText(1, false), "gone.wav    *File not found*");
    EXPECT_EQ(entries.LineText(1, true), "/m/gone.wav    *File not found*");
    EXPECT_EQ(entries.TotalMs(), 20500);

    entries.Remeasure("/m/gone.wav");
    EXPECT_EQ(entries.TakeUnmeasured(), Paths{"/m/gone.wav"});
    EXPECT_EQ(entries.LineText(1, false), "gone.wav");
}

TEST(SonglistEntriesTest, SelectedBlocksMoveByOneWhereThereIsRoom) {
    const struct {
        const char* name;
        bool up;
        std::set<int> selected;
        Paths result;
        std::set<int> after;
    } cases[] = {
        {"one up", true, {2}, {"/a", "/c", "/b", "/d"}, {1}},
        {"a block up", true, {1, 2}, {"/b", "/c", "/a", "/d"}, {0, 1}},
        {"block at the top stays", true, {0, 1}, {"/a", "/b", "/c", "/d"}, {0, 1}},
        {"two apart up", true, {1, 3}, {"/b", "/a", "/d", "/c"}, {0, 2}},
        {"one down", false, {1}, {"/a", "/c", "/b", "/d"}, {2}},
        {"a block down", false, {1, 2}, {"/a", "/d", "/b", "/c"}, {2, 3}},
        {"block at the bottom stays", false, {2, 3}, {"/a", "/b", "/c", "/d"}, {2, 3}},
    };
    for (const auto& c : cases) {
        SonglistEntries entries = Measured({"/a", "/b", "/c", "/d"});
        const std::set<int> after =
            c.up ? entries.MoveUp(c.selected) : entries.MoveDown(c.selected);
        EXPECT_EQ(entries.Paths(), c.result) << c.name;
        EXPECT_EQ(after, c.after) << c.name;
    }
}

TEST(SonglistEntriesTest, RemoveTakesEverySelectedSong) {
    SonglistEntries entries = Measured({"/a", "/b", "/c", "/d"});
    entries.Remove({0, 2, 9});
    EXPECT_EQ(entries.Paths(), (Paths{"/b", "/d"}));
}

TEST(SonglistEntriesTest, AReorderedListIsAChange) {
    EXPECT_TRUE(SameSonglist({"/a", "/b"}, {"/a", "/b"}));
    EXPECT_FALSE(SameSonglist({"/a", "/b"}, {"/b", "/a"}));
    EXPECT_FALSE(SameSonglist({"/a", "/b"}, {"/a", "/b", "/a"}));
    EXPECT_FALSE(SameSonglist({}, {"/a"}));
}

TEST(SonglistCaptionTest, ShowsTheTotalOfRoundedLengths) {
    SonglistEntries entries;
    entries.Set({"/a", "/b", "/c"});
    entries.LengthArrived("/a", 20100);
    entries.LengthArrived("/b", 20100);
    entries.LengthArrived("/c", 21000);
    EXPECT_EQ(SonglistCaption(entries.TotalMs()), "Song list  01:02");

    const struct {
        int64_t ms;
        const char* caption;
    } cases[] = {
        {0, "Song list."},
        {500, "Song list  00:00"},
        {59999, "Song list  00:59"},
        {3599999, "Song list  59:59"},
        {3600000, "Song list  01:00:00"},
        {45296000, "Song list  12:34:56"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SonglistCaption(c.ms), c.caption) << c.ms;
    }
}

TEST(SonglistFileTest, WritesOneAbsolutePathALineWithCrLfAndReadsBack) {
    testing::TempDir dir;
    const std::string path = dir.File("Set.m3u");
    const Paths entries = {dir.File("Intro.wav"), dir.File("Überleitung – 曲.flac"),
                           dir.File("Finale.ogv")};
    ASSERT_EQ(WriteSonglist(path, entries), 0);
    EXPECT_EQ(dir.Read("Set.m3u"), entries[0] + "\r\n" + entries[1] + "\r\n" + entries[2] + "\r\n");
    Paths read;
    ReadPlaylist(path, read, true);
    EXPECT_EQ(read, entries);

    ASSERT_EQ(WriteSonglist(path, {}), 0);
    EXPECT_EQ(dir.Read("Set.m3u"), "");
}

// Sets a limit on the size of the files this process writes, as a full
// disk would stop them.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit limit = previous_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit previous_{};
    void (*previousHandler_)(int) = nullptr;
};

TEST(SonglistFileTest, AFailedWriteLeavesTheOldListAndSaysWhy) {
    testing::TempDir dir;
    const std::string old = "/old/a.wav\r\n";
    const std::string readOnly = dir.Write("ro.m3u", old);
    ::chmod(readOnly.c_str(), 0444);
    const std::string full = dir.Write("full.m3u", old);
    EXPECT_EQ(WriteSonglist(readOnly, {"/new/b.wav"}), EACCES);
    EXPECT_EQ(WriteSonglist(dir.File("no such folder/x.m3u"), {"/new/b.wav"}), ENOENT);
    {
        const FileSizeLimit limit(64);
        EXPECT_EQ(WriteSonglist(full, Paths(20, "/new/a rather long path to a sample.wav")), EFBIG);
    }
    EXPECT_EQ(dir.Read("ro.m3u"), old);
    EXPECT_EQ(dir.Read("full.m3u"), old);
}

TEST(SonglistFileTest, AReadOnlyFolderRefusesTheList) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root writes into read-only folders";
    }
    testing::TempDir dir;
    const std::string folder = dir.Path() + "/locked";
    ASSERT_EQ(::mkdir(folder.c_str(), 0555), 0);
    EXPECT_EQ(WriteSonglist(folder + "/Set.m3u", {"/a.wav"}), EACCES);
    EXPECT_FALSE(FileExists(folder + "/Set.m3u"));
    ::chmod(folder.c_str(), 0755);
}

TEST(SonglistFileTest, NewNamesTheFirstFreeSonglist) {
    testing::TempDir dir;
    const std::string folder = dir.Path() + "/";
    EXPECT_EQ(NewSonglistPath(folder), folder + "Songlist.m3u");
    dir.Write("Songlist.m3u", "");
    dir.Write("Songlist (1).m3u", "");
    EXPECT_EQ(NewSonglistPath(folder), folder + "Songlist (2).m3u");
    dir.Write("Songlist (3).m3u", "");
    EXPECT_EQ(NewSonglistPath(folder), folder + "Songlist (2).m3u");
}

TEST(WorkQueueTest, ResultsArriveOnTheOwnersThreadInOrder) {
    WorkQueue work;
    std::vector<int> results;
    const std::thread::id owner = std::this_thread::get_id();
    for (int job = 0; job < 5; ++job) {
        work.Post([&results, &owner, job]() -> WorkQueue::Completion {
            EXPECT_NE(std::this_thread::get_id(), owner);
            return [&results, &owner, job] {
                EXPECT_EQ(std::this_thread::get_id(), owner);
                results.push_back(job);
            };
        });
    }
    QElapsedTimer timer;
    timer.start();
    while (work.Pending() > 0 && timer.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    }
    EXPECT_EQ(results, (std::vector<int>{0, 1, 2, 3, 4}));
}

TEST(WorkQueueTest, GoingAwayWithJobsQueuedDeliversNothing) {
    int delivered = 0;
    {
        WorkQueue work;
        for (int job = 0; job < 100; ++job) {
            work.Post([&delivered]() -> WorkQueue::Completion {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                return [&delivered] { ++delivered; };
            });
        }
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(delivered, 0);
}

}  // namespace
}  // namespace tamberline

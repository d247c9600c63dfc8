// A small tmpfs shows the free-space check and a disk that fills during
// the copy. Mounting needs root; elsewhere the tests skip.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include "archive_fixture.h"

namespace tamberline {
namespace {

using namespace testing;
using Names = std::vector<std::string>;

class LimitedDiskTest : public ArchiveTest {
protected:
    void Mount(const std::string& size) {
        disk_ = Folder("Disk");
        const std::string options = "size=" + size;
        if (::geteuid() != 0 || ::mount("tmpfs", disk_.c_str(), "tmpfs", 0, options.c_str()) != 0) {
            GTEST_SKIP() << "needs root to mount a tmpfs";
        }
        mounted_ = true;
    }
    void TearDown() override {
        if (mounted_) {
            ::umount2(disk_.c_str(), MNT_DETACH);
        }
    }
    void OpenShow(int samples, int frames) {
        const std::string show = Folder("Show");
        auto records = std::make_unique<RecordArray>();
        for (int i = 0; i < samples; ++i) {
            const std::string path = show + "s" + std::to_string(i) + ".wav";
            WriteSound(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, frames, i);
            (*records)[static_cast<size_t>(i)] = Assigned(path);
        }
        OpenSession(show + "Show.dbf", *records);
    }

    std::string disk_;
    bool mounted_ = false;
};

TEST_F(LimitedDiskTest, TooLittleRoomIsRefusedBeforeCopying) {
    Mount("1m");
    OpenShow(2, 200000);  // 800 kB each
    box_.Answer("Ok");
    dialog_.Choose(disk_, "Show.dbx");
    Commands(runner_).WriteArchive();
    box_.Answer("Ok");
    dialog_.Choose(disk_, "Show.dbf");
    Commands(runner_).CloneSession();
    EXPECT_EQ(box_.Texts(),
              (Names{"Insufficient space for archive.", "Insufficient space for clone."}));
    EXPECT_EQ(box_.shown()[0].flags, mb::kOk | mb::kIconStop);
    EXPECT_EQ(FilesUnder(disk_), Names{});
}

TEST_F(LimitedDiskTest, ADiskThatFillsDuringTheCopyEndsTheRunWithNoHalfFile) {
    Mount("4m");
    OpenShow(2, 300000);  // 1.2 MB each: room enough at the start
    // Someone else fills the disk once the first block is written.
    WaitingCopyRunner filling(
        [this](CopyControl& control) {
            control.SetBlockHook([this, done = false](CopyControl&) mutable {
                if (!done) {
                    done = true;
                    WriteBytes(disk_ + "other.bin", std::string(3 << 20, 'x'));
                }
            });
        },
        64 * 1024);
    box_.Answer("Ok");
    dialog_.Choose(disk_, "Show.dbx");
    Commands(filling).WriteArchive();
    ASSERT_EQ(box_.Texts().size(), 1u);
    EXPECT_EQ(box_.Texts()[0], disk_ + "s0.wav\n\nNo space left on device");
    EXPECT_EQ(FilesUnder(disk_), Names{"other.bin"});
}

}  // namespace
}  // namespace tamberline

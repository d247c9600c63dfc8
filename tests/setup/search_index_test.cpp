#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>
#include <algorithm>

#include "setup/search_index.h"
#include "support/temp_dir.h"

namespace tamberline::testing {
namespace {

// A locate database over a small tree of its own.
class SearchIndexTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable(QStringLiteral("updatedb")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("plocate")).isEmpty()) {
            GTEST_SKIP() << "plocate is not installed (scripts/install-deps.sh)";
        }
        tree_.Write("Bell Ring.wav", "x");
        tree_.Write("bell2.wav", "x");
        tree_.Write("xbell.wav", "x");
        tree_.Write("abc.wav", "x");
        tree_.Write("a.c.wav", "x");
        tree_.Write("gone.wav", "x");
    }
    void BuildDatabase() {
        // The system's configuration leaves out /tmp; this tree is all there is.
        const int rc = QProcess::execute(
            QStringLiteral("updatedb"),
            {QStringLiteral("-U"), QString::fromStdString(tree_.Path()), QStringLiteral("-o"),
             QString::fromStdString(db_), QStringLiteral("--prunepaths"), QString(),
             QStringLiteral("--prunenames"), QString(), QStringLiteral("--prunefs"), QString(),
             QStringLiteral("-l"), QStringLiteral("no")});
        ASSERT_EQ(rc, 0);
    }
    static std::vector<std::string> Names(std::vector<std::string> paths) {
        for (std::string& path : paths) {
            path = path.substr(path.rfind('/') + 1);
        }
        std::sort(paths.begin(), paths.end());
        return paths;
    }
    SearchIndex Index(std::function<bool(const std::string&)> fixed = [](const std::string&) {
        return true;
    }) {
        return SearchIndex(db_, "plocate", std::move(fixed));
    }

    TempDir tree_;
    TempDir dbDir_;
    std::string db_ = dbDir_.File("test.db");
};

TEST_F(SearchIndexTest, MissingDatabaseMeansNotRunning) {
    EXPECT_FALSE(Index().IsRunning());
    BuildDatabase();
    EXPECT_TRUE(Index().IsRunning());
}

TEST_F(SearchIndexTest, PrefixOfTheFileNameWithoutRegardToCase) {
    BuildDatabase();
    std::vector<std::string> paths;
    ASSERT_EQ(Index().FindByPrefix("BELL", paths), SearchIndex::Result::kFound);
    EXPECT_EQ(Names(paths), (std::vector<std::string>{"Bell Ring.wav", "bell2.wav"}));
    // A full stop is a full stop, not any character.
    ASSERT_EQ(Index().FindByPrefix("a.c", paths), SearchIndex::Result::kFound);
    EXPECT_EQ(Names(paths), (std::vector<std::string>{"a.c.wav"}));
    EXPECT_EQ(Index().FindByPrefix("nothing", paths), SearchIndex::Result::kNone);
    EXPECT_TRUE(paths.empty());
}

TEST_F(SearchIndexTest, ExactNameVanishedFilesAndOtherDrivesLeftOut) {
    BuildDatabase();
    ASSERT_TRUE(QFile::remove(QString::fromStdString(tree_.File("gone.wav"))));
    std::vector<std::string> paths;
    EXPECT_EQ(Index().FindByName("gone.wav", paths), SearchIndex::Result::kNone);
    ASSERT_EQ(Index().FindByName("BELL2.WAV", paths), SearchIndex::Result::kFound);
    EXPECT_EQ(Names(paths), (std::vector<std::string>{"bell2.wav"}));
    EXPECT_EQ(Index().FindByName("bell2", paths), SearchIndex::Result::kNone);
    const SearchIndex fixedOnly(db_, "plocate", [](const std::string&) { return false; });
    EXPECT_EQ(fixedOnly.FindByPrefix("bell", paths), SearchIndex::Result::kNone);
}

TEST_F(SearchIndexTest, AtMostTwoHundredRows) {
    for (int k = 0; k < 230; ++k) {
        tree_.Write("many" + std::to_string(k) + ".wav", "x");
    }
    BuildDatabase();
    std::vector<std::string> paths;
    ASSERT_EQ(Index().FindByPrefix("many", paths), SearchIndex::Result::kFound);
    EXPECT_EQ(paths.size(), 200u);
}

TEST_F(SearchIndexTest, BrokenDatabaseIsAFailure) {
    tree_.Write("junk.db", std::string(100, 'j'));
    std::vector<std::string> paths;
    const SearchIndex broken(tree_.File("junk.db"), "plocate",
                             [](const std::string&) { return true; });
    EXPECT_EQ(broken.FindByPrefix("bell", paths), SearchIndex::Result::kFailed);
}

}  // namespace
}  // namespace tamberline::testing

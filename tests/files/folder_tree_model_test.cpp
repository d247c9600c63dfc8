#include "files/folder_tree_model.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "folder_fixture.h"

namespace tamberline {
namespace {

using Names = std::vector<std::string>;

// A tree whose one root is a temporary folder shown as a fixed drive.
class FolderTreeModelTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(model_.AddDrive({tree_.Root(), DriveType::kFixed}, 8)); }

    QModelIndex Root() const { return model_.index(0, 0); }
    Names Children(const QModelIndex& item) const {
        Names names;
        for (int row = 0; row < model_.rowCount(item); ++row) {
            names.push_back(model_.NameOf(model_.index(row, 0, item)));
        }
        return names;
    }

    testing::FolderFixture tree_;
    FolderTreeModel model_;
};

TEST_F(FolderTreeModelTest, ARootShowsAPlaceholderUntilExpanded) {
    tree_.Folder("Act 10");
    tree_.Folder("Act 9");
    tree_.Folder("Act 9/Scene 1");
    tree_.File("cue.wav");
    EXPECT_TRUE(model_.hasChildren(Root()));
    EXPECT_EQ(model_.rowCount(Root()), 0);

    ASSERT_TRUE(model_.Expand(Root()));
    EXPECT_EQ(Children(Root()), (Names{"Act 9", "Act 10"}));
    const QModelIndex act9 = model_.index(0, 0, Root());
    const QModelIndex act10 = model_.index(1, 0, Root());
    EXPECT_TRUE(model_.hasChildren(act9));
    EXPECT_FALSE(model_.hasChildren(act10));
    EXPECT_EQ(model_.PathOf(act9), tree_.Root() + "Act 9/");
    EXPECT_EQ(model_.ExpandedFolders(tree_.Root()), Names{tree_.Root()});

    model_.Collapse(Root());
    EXPECT_EQ(model_.rowCount(Root()), 0);
    EXPECT_TRUE(model_.hasChildren(Root()));
    EXPECT_TRUE(model_.ExpandedFolders(tree_.Root()).empty());
}

TEST_F(FolderTreeModelTest, MasksAndCdRomsDecideWhichRootsShowAndExpand) {
    testing::FolderFixture cd;
    EXPECT_FALSE(model_.AddDrive({cd.Root(), DriveType::kRemote}, 8));
    EXPECT_FALSE(model_.AddDrive({tree_.Root(), DriveType::kFixed}, 8));  // shown already
    ASSERT_TRUE(model_.AddDrive({cd.Root(), DriveType::kCdRom}, 44));
    const QModelIndex cdRoot = model_.index(model_.Drives()[0].root == cd.Root() ? 0 : 1, 0);
    EXPECT_FALSE(model_.hasChildren(cdRoot));
}

TEST_F(FolderTreeModelTest, SharesFollowTheDrivesAndComeAndGo) {
    testing::FolderFixture share;
    share.Folder("Cues");
    share.Folder("Cues/Act 1");
    ASSERT_TRUE(model_.AddShare("/srv/b"));
    ASSERT_TRUE(model_.AddShare(share.Root()));
    EXPECT_FALSE(model_.AddShare(share.Root()));                    // shown already
    EXPECT_FALSE(model_.AddShare(tree_.Root()));                    // a drive already
    ASSERT_TRUE(model_.AddDrive({"/zzz/", DriveType::kFixed}, 8));  // arrives later
    Names roots;
    for (const Drive& drive : model_.Drives()) {
        roots.push_back(drive.root);
    }
    const Names shares =
        share.Root() < "/srv/b/" ? Names{share.Root(), "/srv/b/"} : Names{"/srv/b/", share.Root()};
    EXPECT_EQ(roots, (Names{tree_.Root(), "/zzz/", shares[0], shares[1]}));
    EXPECT_EQ(model_.Shares(), shares);

    const QModelIndex item = model_.ExpandTo(share.Root() + "Cues/Act 1/");
    ASSERT_TRUE(item.isValid());
    EXPECT_EQ(model_.PathOf(item), share.Root() + "Cues/Act 1/");
    EXPECT_EQ(model_.DriveTypeOf(item), DriveType::kRemote);
    for (int row = 0; row < model_.rowCount(); ++row) {
        EXPECT_EQ(model_.IsShare(model_.index(row, 0)), row >= 2) << row;
    }
    EXPECT_FALSE(model_.IsShare(item));

    EXPECT_FALSE(model_.RemoveShare(tree_.Root()));  // drives leave as drives
    EXPECT_TRUE(model_.RemoveShare(share.Root()));
    EXPECT_TRUE(model_.RemoveShare("/srv/b/"));
    EXPECT_TRUE(model_.Shares().empty());
    EXPECT_EQ(model_.rowCount(), 2);
}

TEST_F(FolderTreeModelTest, ExpandToWalksDownAndStopsWhereTheTreeEnds) {
    tree_.Folder("a");
    tree_.Folder("a/b");
    tree_.Folder("a/b/c");
    const QModelIndex c = model_.ExpandTo(tree_.Root() + "a/b/c/");
    EXPECT_EQ(model_.PathOf(c), tree_.Root() + "a/b/c/");
    EXPECT_EQ(model_.PathOf(model_.ExpandTo(tree_.Root() + "a/b/missing/x/")),
              tree_.Root() + "a/b/");
    EXPECT_FALSE(model_.ExpandTo("/nowhere-else/").isValid());
}

TEST_F(FolderTreeModelTest, AFolderGoneWhenExpandedLosesItsItem) {
    tree_.Folder("gone");
    ASSERT_TRUE(model_.Expand(Root()));
    const QModelIndex gone = model_.index(0, 0, Root());
    testing::FolderFixture::Other("rmdir '" + tree_.Root() + "gone'");
    EXPECT_FALSE(model_.Expand(gone));
    EXPECT_EQ(model_.rowCount(Root()), 0);
}

TEST_F(FolderTreeModelTest, RefreshFollowsFoldersMadeAndRemovedByOthers) {
    tree_.Folder("Set 1");
    tree_.Folder("Set 3");
    tree_.Folder("closed");
    ASSERT_TRUE(model_.Expand(Root()));
    testing::FolderFixture::Other("mkdir '" + tree_.Root() + "Set 2' && rmdir '" + tree_.Root() +
                                  "Set 3' && mkdir '" + tree_.Root() + "closed/inner'");
    model_.RefreshDrive(tree_.Root());
    EXPECT_EQ(Children(Root()), (Names{"closed", "Set 1", "Set 2"}));
    EXPECT_TRUE(model_.hasChildren(model_.index(0, 0, Root())));  // closed got a placeholder
    EXPECT_EQ(model_.rowCount(model_.index(0, 0, Root())), 0);
}

TEST_F(FolderTreeModelTest, HostileFolderNamesStillLeadToTheirFolders) {
    const std::string odd = "\xff\xfe\nodd";
    tree_.Folder(odd);
    tree_.Folder(odd + "/inner");
    const QModelIndex inner = model_.ExpandTo(tree_.Root() + odd + "/inner/");
    EXPECT_EQ(model_.NameOf(inner), "inner");
    EXPECT_EQ(model_.PathOf(inner), tree_.Root() + odd + "/inner/");
    EXPECT_FALSE(model_.data(inner.parent(), Qt::DisplayRole).toString().isEmpty());
}

TEST_F(FolderTreeModelTest, ALinkBackUpwardsExpandsOneLevelAtATime) {
    tree_.Folder("a");
    ::symlink("..", (tree_.Root() + "a/up").c_str());
    std::string path = tree_.Root() + "a/";
    for (int level = 0; level < 20; ++level) {
        path += "up/a/";
    }
    const QModelIndex deep = model_.ExpandTo(path);
    EXPECT_EQ(model_.PathOf(deep), path);
}

TEST_F(FolderTreeModelTest, LabelEditsAskTheRenameHandler) {
    tree_.Folder("old");
    ASSERT_TRUE(model_.Expand(Root()));
    const QModelIndex item = model_.index(0, 0, Root());
    std::string asked;
    bool allow = false;
    model_.SetRenameHandler([&](const QModelIndex&, const std::string& text) {
        asked = text;
        return allow;
    });
    EXPECT_FALSE(model_.setData(item, QStringLiteral("new"), Qt::EditRole));
    EXPECT_EQ(asked, "new");
    EXPECT_EQ(model_.NameOf(item), "old");
    allow = true;
    EXPECT_TRUE(model_.setData(item, QStringLiteral("new"), Qt::EditRole));
    EXPECT_EQ(model_.NameOf(item), "new");
    asked.clear();
    EXPECT_FALSE(model_.setData(item, QString(), Qt::EditRole));
    EXPECT_FALSE(model_.setData(Root(), QStringLiteral("x"), Qt::EditRole));
    EXPECT_TRUE(asked.empty());
    EXPECT_FALSE(model_.flags(Root()) & Qt::ItemIsEditable);
}

}  // namespace
}  // namespace tamberline

#include "files/folder_tree_filler_part.h"

#include <gtest/gtest.h>

#include "folder_fixture.h"
#include "session/registry.h"

namespace tamberline {
namespace {

TEST(FolderTreeFillerTest, TheWalkEndsAtOnceWhenStopped) {
    testing::FolderFixture tree;
    tree.Folder("a");
    std::atomic<bool> stop{false};
    EXPECT_TRUE(PrefillFolderTree(tree.Root() + "a/", stop));
    stop = true;
    EXPECT_FALSE(PrefillFolderTree(tree.Root() + "a/", stop));
}

TEST(FolderTreeFillerTest, StartsOnlyAtItsStepAndEndsByItself) {
    testing::FolderFixture tree;
    Registry registry(QString::fromStdString(tree.Root() + "settings.conf"));
    registry.SetString(settings::kFileFolder, tree.Folder("Shows"));
    FolderTreeFillerPart part(registry);
    EXPECT_TRUE(part.Start(StartStep::kMediaLibrary));
    EXPECT_TRUE(part.Start(StartStep::kFolderTreeFiller));
    part.Join();
    part.Teardown(TeardownStep::kStartWorker);
}

}  // namespace
}  // namespace tamberline

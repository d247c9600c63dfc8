#include <gtest/gtest.h>

#include <fstream>
#include <thread>
#include <utility>

#include "session/session_paths.h"
#include "session_fixture.h"

namespace tamberline::testing {
namespace {

const char kQuestion[] = "This session file has been changed.\nDo you want to use the new version?";
const char kLossWarning[] = "\n\nChanges made to this version\nwill be lost.";

// Another program instance on the same machine, with its own operator.
struct OtherInstance {
    explicit OtherInstance(Registry& registry)
        : session(SessionServices{box, dialog, registry, host, ""}) {}
    ScriptedMessageBox box;
    ScriptedFileDialog dialog;
    NullSessionHost host;
    Session session;
};

// A box that, like a real one, runs the event loop while it is open; the
// first time it opens, something happens meanwhile.
class ModalBox final : public MessageBox {
public:
    int Show(const std::string& text, unsigned flags, BoxPlacement placement) override {
        texts.push_back(text);
        if (whileOpen) {
            std::exchange(whileOpen, nullptr)();
            SpinFor(300);
        }
        return scripted.Show(text, flags, placement);
    }
    std::function<void()> whileOpen;
    ScriptedMessageBox scripted;
    std::vector<std::string> texts;
};

class ExternalChangeTest : public SessionTest {
protected:
    void SetUp() override {
        path_ = WriteFileWith("Gala.dbf", 0, "/samples/a.wav");
        ASSERT_TRUE(session_->LoadSession(path_));
    }

    bool Asked() {
        return SpinUntil([this] { return !box_.shown().empty(); }, 3000);
    }

    // Rewrites the file in place, as a plain editor would.
    void RewriteInPlace(const RecordArray& records) {
        SpinFor(100);  // earlier notices (the working copy's) are handled first
        // Past the file system's clock step, so the time surely moves.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        const std::vector<uint8_t> bytes = EncodeSession(records);
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }

    std::string path_;
};

TEST_F(ExternalChangeTest, AnotherInstancesSaveIsAskedAboutOnceAndItsOwnNever) {
    OtherInstance other(registry_);
    ASSERT_TRUE(other.session.LoadSession(path_));
    SpinFor(100);
    SetCaption(other.session.Record(0), "from the other");
    box_.Answer("Yes");
    ASSERT_TRUE(other.session.WriteSession(path_));
    ASSERT_TRUE(Asked());
    SpinFor(300);
    EXPECT_EQ(box_.Texts(), std::vector<std::string>{kQuestion});
    EXPECT_EQ(box_.shown()[0].flags, mb::kYesNo | mb::kIconQuestion);
    EXPECT_EQ(CaptionOf(session_->records()[0]), "from the other");
    EXPECT_TRUE(other.box.Texts().empty());
}

TEST_F(ExternalChangeTest, InPlaceRewriteIsNoticedAndUnsavedEditsAreWarnedAbout) {
    EditCaption(1, "unsaved");
    auto records = std::make_unique<RecordArray>(session_->records());
    SetCaption((*records)[0], "rewritten");
    box_.Answer("No");
    RewriteInPlace(*records);
    ASSERT_TRUE(Asked());
    EXPECT_EQ(box_.Texts(), std::vector<std::string>{std::string(kQuestion) + kLossWarning});
    EXPECT_EQ(CaptionOf(session_->records()[1]), "unsaved");
    EXPECT_TRUE(session_->IsModified());
    SpinFor(200);
    EXPECT_EQ(box_.Texts().size(), 1u);
}

TEST_F(ExternalChangeTest, YesTakesTheNewVersionAndDropsUnsavedEdits) {
    EditCaption(1, "unsaved");
    auto records = std::make_unique<RecordArray>();
    (*records)[5] = Assigned("/samples/new.wav");
    box_.Answer("Yes");
    ASSERT_EQ(WriteSessionFile(path_, *records), 0);
    ASSERT_TRUE(Asked());
    EXPECT_FALSE(IsAssigned(session_->records()[1]));
    EXPECT_TRUE(IsAssigned(session_->records()[5]));
    EXPECT_FALSE(session_->IsModified());
    EXPECT_FALSE(FileExists(WorkingCopyPath(path_)));
}

TEST_F(ExternalChangeTest, OwnSavesEditsAndNormalisationNeverAsk) {
    EditCaption(0, "one");
    session_->SaveSession();
    EditCaption(0, "two");
    session_->SaveSession();
    auto records = std::make_unique<RecordArray>(session_->records());
    (*records)[9].colour = 5;  // stray bytes in an empty record
    const std::string stray = WriteFile("Stray.dbf", *records);
    dialog_.Choose(dir_.Path() + "/", "Stray.dbf");
    session_->OpenSession();
    ASSERT_TRUE(session_->selfWrite());
    EXPECT_TRUE(SpinUntil([this] { return !session_->selfWrite(); }));
    SpinFor(300);
    EXPECT_TRUE(box_.Texts().empty());
}

// Any other dialog may hold a record the operator is editing; a reload under
// it would let its OK write the old session's record into the new one.
TEST_F(ExternalChangeTest, QuestionWaitsWhileAnyDialogOfTheProgramIsOpen) {
    host_.modalOpen = true;
    auto records = std::make_unique<RecordArray>();
    (*records)[5] = Assigned("/samples/new.wav");
    box_.Answer("Yes");
    ASSERT_EQ(WriteSessionFile(path_, *records), 0);
    SpinFor(600);
    EXPECT_TRUE(box_.Texts().empty());
    EXPECT_FALSE(IsAssigned(session_->records()[5]));
    host_.modalOpen = false;
    ASSERT_TRUE(Asked());
    EXPECT_EQ(box_.Texts(), std::vector<std::string>{kQuestion});
    EXPECT_TRUE(IsAssigned(session_->records()[5]));
}

TEST_F(ExternalChangeTest, OtherFilesOfTheFolderAreNoChange) {
    dir_.Write("notes.txt", "x");
    EditCaption(0, "working copy written");
    SpinFor(300);
    EXPECT_TRUE(box_.Texts().empty());
}

TEST_F(ExternalChangeTest, OwnWriteWhoseNoticeWasDroppedDoesNotHideALaterForeignSave) {
    // The run-data refresh writes this file; opening the next session drops
    // the notice of that write before it is handled.
    const std::string sample = dir_.Write("a.wav", std::string(100, 'w'));
    session_->Record(0) = Assigned(sample);
    ASSERT_EQ(WriteSessionFile(path_, session_->records()), 0);
    ASSERT_TRUE(session_->LoadSession(path_));
    ASSERT_TRUE(session_->ConfirmDiscard(false));
    ASSERT_TRUE(session_->selfWrite());
    const std::string next = WriteFileWith("Next.dbf", 0, "/samples/next.wav");
    ASSERT_TRUE(session_->LoadSession(next));
    SpinFor(200);
    auto records = std::make_unique<RecordArray>();
    box_.Answer("No");
    ASSERT_EQ(WriteSessionFile(next, *records), 0);
    EXPECT_TRUE(Asked());
}

TEST_F(ExternalChangeTest, ForeignSaveWhileAQuestionIsOpenIsAskedAboutAfterIt) {
    session_.reset();
    ModalBox modal;
    Session session({modal, dialog_, registry_, host_, ""});
    ASSERT_TRUE(session.LoadSession(path_));
    session.BeginChange();
    session.AppendUndoEntry(0);
    SetCaption(session.Record(0), "unsaved");
    session.EndChange(false);
    SpinFor(100);
    modal.whileOpen = [this] {
        auto records = std::make_unique<RecordArray>();
        ASSERT_EQ(WriteSessionFile(path_, *records), 0);
    };
    modal.scripted.Answer("Cancel");  // the save question
    modal.scripted.Answer("No");      // the question about the new version
    EXPECT_FALSE(session.ConfirmDiscard(false));
    EXPECT_EQ(modal.texts.size(), 1u);  // nothing asked inside the open box
    ASSERT_TRUE(SpinUntil([&] { return modal.texts.size() == 2; }));
    EXPECT_EQ(modal.texts[1], std::string(kQuestion) + kLossWarning);
    EXPECT_EQ(CaptionOf(session.records()[0]), "unsaved");
}

}  // namespace
}  // namespace tamberline::testing

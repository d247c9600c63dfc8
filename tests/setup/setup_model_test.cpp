#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "session/registry.h"
#include "session/settings.h"
#include "setup/setup_model.h"
#include "support/scripted_message_box.h"
#include "support/temp_dir.h"

namespace tamberline::testing {
namespace {

// Files the probe knows, by path.
class FakeProbe final : public SampleProbe {
public:
    bool Probe(const std::string& path, int output, ProbedSample& sample) override {
        outputs.push_back(output);
        const auto it = files.find(path);
        if (it == files.end() || output == refusedOutput) {
            sample = ProbedSample{};
            sample.errorKind = 4;
            return false;
        }
        sample = it->second;
        return true;
    }
    std::map<std::string, ProbedSample> files;
    std::vector<int> outputs;
    int refusedOutput = -1;
};

ProbedSample Sample(int32_t ms) {
    ProbedSample sample;
    sample.durationMs = ms;
    return sample;
}

class SetupModelTest : public ::testing::Test {
protected:
    SetupModelTest() {
        probe_.files["/show/Bell.wav"] = Sample(10'000);
        probe_.files["/show/Horn.ogg"] = Sample(4'000);
        ProbedSample list = Sample(9'000);
        list.isSonglist = true;
        list.canVarispeed = false;
        list.entries = {"/show/a.wav", "/show/b.wav"};
        list.entriesMissing = true;
        probe_.files["/show/Act 1.m3u"] = list;
    }

    SetupServices Services() {
        return {registry_,
                box_,
                records_,
                probe_,
                16,
                "/home/op/",
                [this](const std::string& f) { return folders_.count(f) != 0; },
                [this](const std::string& f) { return folders_[f]; },
                [this](const std::string& path, int kind) {
                    errors_.push_back(path + "#" + std::to_string(kind));
                }};
    }

    ButtonRecord Assigned(const std::string& path) {
        ButtonRecord r{};
        SetPath(r, path);
        SetCaption(r, "Old");
        r.status = STATUS_ASSIGNED;
        r.volume = 80;
        r.pan = 100;
        r.varispeed = 100;
        r.output = 3;
        r.colour = 0x123456;
        r.durationMs = 10'000;
        return r;
    }

    TempDir dir_;
    Registry registry_{QString::fromStdString(dir_.File("Tamberline.conf"))};
    ScriptedMessageBox box_;
    RecordArray records_{};
    FakeProbe probe_;
    std::map<std::string, bool> folders_{{"/show/", true}, {"/media/stick/", false}};
    std::vector<std::string> errors_;
};

TEST_F(SetupModelTest, OpeningAnEmptyButtonClearsIt) {
    registry_.SetDword(settings::kButtonOutput, 5);
    registry_.SetString(settings::kFileFolder, "/show/");
    ButtonRecord junk{};
    junk.volume = 3;
    junk.caption[0] = 'x';
    SetupButtonModel model(Services(), 41, junk);
    model.Open();
    EXPECT_EQ(model.Title(), "Setup Button 42");
    EXPECT_EQ(model.browseFolder(), "/show/");
    EXPECT_EQ(model.record().output, 5);
    EXPECT_EQ(model.record().volume, 100);
    EXPECT_EQ(model.record().pan, 100);
    EXPECT_EQ(model.record().varispeed, 100);
    EXPECT_EQ(model.record().colour, 0xC0C0C0u);
    EXPECT_EQ(model.record().caption[0], 0);
    // A remembered output beyond the rows becomes the first.
    registry_.SetDword(settings::kButtonOutput, 16);
    model.Clear();
    EXPECT_EQ(model.record().output, 0);
}

TEST_F(SetupModelTest, SampleOffAFixedDriveStaysAsItIs) {
    const ButtonRecord stick = Assigned("/media/stick/Bell.wav");
    SetupButtonModel model(Services(), 0, stick);
    model.Open();
    EXPECT_EQ(model.browseFolder(), "/home/op/");
    EXPECT_EQ(std::memcmp(&model.record(), &stick, sizeof stick), 0);
    // Nor does OK empty it.
    const ButtonRecord accepted = model.Accept("Old");
    EXPECT_EQ(PathOf(accepted), "/media/stick/Bell.wav");
    EXPECT_TRUE(IsAssigned(accepted));
}

TEST_F(SetupModelTest, OpeningBringsFieldsIntoRange) {
    ButtonRecord r = Assigned("/show/Bell.wav");
    r.varispeed = 400;
    r.output = 20;
    r.fadeIn = 90;
    r.fadeOut = 30;
    SetupButtonModel model(Services(), 0, r);
    model.Open();
    EXPECT_EQ(model.browseFolder(), "/show/");
    EXPECT_EQ(model.record().varispeed, 190);
    EXPECT_EQ(model.record().output, 0);
    // 10 s at 190 % lasts as stored; fades fit 10000 / 100 - 5.
    EXPECT_EQ(model.record().fadeIn, 65);
    EXPECT_EQ(model.record().fadeOut, 30);
}

TEST_F(SetupModelTest, AssigningAFileFillsTheRecord) {
    registry_.SetDword(settings::kButtonColour, 0x0000FF);
    SetupButtonModel model(Services(), 7, ButtonRecord{});
    model.Open();
    ASSERT_TRUE(model.AssignFile("/show/Bell.wav"));
    const ButtonRecord& r = model.record();
    EXPECT_EQ(PathOf(r), "/show/Bell.wav");
    EXPECT_EQ(CaptionOf(r), "Bell");
    EXPECT_EQ(r.colour, 0x0000FFu);
    EXPECT_EQ(r.status, STATUS_ASSIGNED);
    EXPECT_EQ(r.durationMs, 10'000u);
    EXPECT_TRUE(model.varispeedShown());
    EXPECT_FALSE(model.showDataEnabled());
    // A second file keeps the colour; the whole path field is rewritten.
    model.SetColour(0x00AA00);
    ASSERT_TRUE(model.AssignFile("/show/Horn.ogg"));
    EXPECT_EQ(r.colour, 0x00AA00u);
    EXPECT_EQ(std::string(r.path, sizeof r.path).find_first_not_of('\0', 14), std::string::npos);
}

TEST_F(SetupModelTest, FailedLoadLeavesTheRecord) {
    const ButtonRecord before = Assigned("/show/Bell.wav");
    SetupButtonModel model(Services(), 0, before);
    model.Open();
    EXPECT_FALSE(model.AssignFile("/show/gone.wav"));
    EXPECT_EQ(errors_, (std::vector<std::string>{"/show/gone.wav#4"}));
    EXPECT_EQ(std::memcmp(&model.record(), &before, sizeof before), 0);
    // A path the field cannot hold whole is refused before it is loaded.
    const std::string longPath = "/show/" + std::string(260, 'n') + ".wav";
    EXPECT_FALSE(model.AssignFile(longPath));
    ASSERT_EQ(box_.Texts().size(), 1u);
    EXPECT_EQ(box_.Texts()[0], longPath + kPathTooLong);
    EXPECT_EQ(std::memcmp(&model.record(), &before, sizeof before), 0);
}

TEST_F(SetupModelTest, SonglistHidesVarispeedAndWarnsOfMissingEntries) {
    ButtonRecord r = Assigned("/show/Bell.wav");
    r.varispeed = 150;
    SetupButtonModel model(Services(), 0, r);
    model.Open();
    ASSERT_TRUE(model.AssignFile("/show/Act 1.m3u"));
    EXPECT_EQ(box_.Texts(),
              (std::vector<std::string>{"Not all the files in the songlist\ncould be found."}));
    EXPECT_EQ(model.record().varispeed, 100);
    EXPECT_EQ(model.record().durationMs, 9'000u);
    EXPECT_FALSE(model.varispeedShown());
    EXPECT_TRUE(model.showDataEnabled());
}

TEST_F(SetupModelTest, VarispeedRescalesTheDuration) {
    SetupButtonModel model(Services(), 0, Assigned("/show/Bell.wav"));
    model.Open();
    model.SetVarispeed(50);
    EXPECT_EQ(model.record().durationMs, 20'000u);
    model.SetVarispeed(100);
    EXPECT_EQ(model.record().durationMs, 10'000u);
    model.SetVarispeed(5);
    EXPECT_EQ(model.record().varispeed, 10);
    // Dragging through every speed on the way loses nothing to rounding.
    for (int speed = 10; speed <= 190; ++speed) {
        model.SetVarispeed(speed);
    }
    for (int speed = 190; speed >= 100; --speed) {
        model.SetVarispeed(speed);
    }
    EXPECT_EQ(model.record().durationMs, 10'000u);
}

TEST_F(SetupModelTest, FadesAndLoop) {
    SetupButtonModel model(Services(), 0, Assigned("/show/Bell.wav"));
    model.Open();
    model.SetFade(false, 30);
    EXPECT_EQ(model.SetFade(true, 90), 65);
    model.SetLoop(true);
    EXPECT_EQ(model.SetFade(true, 90), 90);
    // Turning the loop off limits both again.
    model.SetLoop(false);
    EXPECT_EQ(model.record().fadeIn, 65);
    model.Clear();
    EXPECT_EQ(model.SetFade(true, 90), 0);
}

TEST_F(SetupModelTest, OutputThatCannotPlayClearsTheSample) {
    SetupButtonModel model(Services(), 0, Assigned("/show/Bell.wav"));
    model.Open();
    model.SetOutput(2);
    EXPECT_TRUE(IsAssigned(model.record()));
    probe_.refusedOutput = 4;
    model.SetOutput(4);
    EXPECT_FALSE(IsAssigned(model.record()));
    EXPECT_EQ(model.record().output, 4);
    EXPECT_EQ(errors_.size(), 1u);
}

TEST_F(SetupModelTest, TriggersWarnOfDuplicates) {
    records_[4].status = STATUS_ASSIGNED;
    records_[4].gameTrigger = 20;
    records_[16] = records_[4];
    records_[16].triggerKey = 'Q';
    records_[16].midiNote = 60;
    records_[16].midiChannel = 2;
    SetupButtonModel model(Services(), 0, Assigned("/show/Bell.wav"));
    model.Open();
    model.ChooseGameTrigger(20);
    model.ChooseMidi(60, 0);
    model.ChooseMidi(60, 3);
    model.CaptureKey('Q');
    model.CaptureKey(0x07);  // no name: no trigger
    EXPECT_EQ(box_.Texts(), (std::vector<std::string>{
                                "Button(s) also triggered by this\n5 17 ",
                                "Button(s) also triggered by this note:\n17 ",
                                "Button(s) also triggered by this key:\n17 ",
                            }));
    EXPECT_EQ(model.record().gameTrigger, 20);
    EXPECT_EQ(model.record().midiNote, 60);
    EXPECT_EQ(model.record().midiChannel, 3);
    EXPECT_EQ(model.record().triggerKey, 0);
}

TEST_F(SetupModelTest, StartTimeEntry) {
    SetupButtonModel model(Services(), 0, Assigned("/show/Bell.wav"));
    model.Open();
    EXPECT_EQ(model.EnterStartTime("123"), "00:00:01:23");
    EXPECT_EQ(model.record().startTime, 53u);
    EXPECT_EQ(model.record().startTimeOn, 1);
    EXPECT_EQ(model.EnterStartTime("--"), "");
    EXPECT_EQ(model.record().startTime, 0u);
    EXPECT_EQ(model.record().startTimeOn, 0);
}

TEST_F(SetupModelTest, AcceptTakesTheCaptionAndRemembersFolderAndOutput) {
    SetupButtonModel model(Services(), 0, Assigned("/show/Bell.wav"));
    model.Open();
    model.SetOutput(6);
    const ButtonRecord r = model.Accept("   ");
    EXPECT_EQ(CaptionOf(r), "Bell");
    EXPECT_EQ(registry_.String(settings::kFileFolder), "/show/");
    EXPECT_EQ(registry_.Dword(settings::kButtonOutput), 6u);
    EXPECT_EQ(CaptionOf(model.Accept(std::string(300, 'c'))).size(), 255u);
    model.Clear();
    EXPECT_TRUE(IsZeroRecord(model.Accept("text")));
}

}  // namespace
}  // namespace tamberline::testing

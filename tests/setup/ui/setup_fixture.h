#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "files/file_copier.h"
#include "files/file_monitors.h"
#include "playback/graph/fake_sinks.h"
#include "playback/graph/output_list.h"
#include "playback/output_table.h"
#include "session/archive/copy_runner.h"
#include "session/archive/dropped_files.h"
#include "session/registry.h"
#include "session/run_log.h"
#include "setup/search_index.h"
#include "setup/ui/setup_button_dialog.h"
#include "support/scripted_message_box.h"
#include "support/temp_dir.h"

namespace tamberline::testing {

// The dialogs over a sample folder of their own, with two sound cards that
// render into fake sinks, a scripted operator and a run log.
class SetupDialogTest : public ::testing::Test {
protected:
    SetupDialogTest();
    SetupDialogServices Services();
    // A 16-bit stereo WAV file of `ms` milliseconds in the sample folder.
    std::string Wav(const std::string& name, int ms);
    std::string Folder() const { return samples_.Path() + "/"; }

    TempDir dir_;
    TempDir samples_;
    Registry registry_{QString::fromStdString(dir_.File("Tamberline.conf"))};
    ScriptedMessageBox box_;
    FileMonitors monitors_;
    WaitingCopyRunner runner_;
    DroppedFilesCopier copier_{box_, runner_};
    RunLog log_{dir_.Path()};
    std::unique_ptr<RecordArray> records_ = std::make_unique<RecordArray>();
    FakeSinkCatalog catalog_;
    OutputTable table_;
    OutputList list_;
    std::unique_ptr<SearchIndex> search_;
    std::vector<std::pair<int, std::string>> renamed_;
};

}  // namespace tamberline::testing

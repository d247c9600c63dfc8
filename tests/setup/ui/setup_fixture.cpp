#include "setup/ui/setup_fixture.h"

#include "playback/graph/media_fixtures.h"
#include "playback/graph/outputs.h"

namespace tamberline::testing {

SetupDialogTest::SetupDialogTest() {
    table_.entries = {{"Card A: Test Sink A", "Test Sink A", false, true},
                      {"Zed", "Zed", false, true}};
    list_.Fill(table_);
    search_ = std::make_unique<SearchIndex>(dir_.File("none.db"));
}

SetupDialogServices SetupDialogTest::Services() {
    SetupDialogServices services(registry_, box_, monitors_, copier_,
                                 {Drive{samples_.Path() + "/", DriveType::kFixed}}, *records_);
    services.outputs = {&table_, &list_, &catalog_};
    services.runLog = &log_;
    services.search = search_.get();
    services.defaultFolder = Folder();
    services.renameOutput = [this](int index, const std::string& name) {
        renamed_.emplace_back(index, name);
        return RenameOutput(table_, list_, index, name, registry_);
    };
    services.chooseColour = [](uint32_t, std::array<uint32_t, 16>& custom) {
        custom[3] = 0x112233;
        return std::optional<uint32_t>(0x0000FF);
    };
    return services;
}

std::string SetupDialogTest::Wav(const std::string& name, int ms) {
    const std::string path = samples_.File(name);
    EXPECT_TRUE(WriteWav(path, 2, 48000, 48 * ms, Tone(440, 0.2, 48000)));
    return path;
}

}  // namespace tamberline::testing

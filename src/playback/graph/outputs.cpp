#include "playback/graph/outputs.h"

#include <algorithm>
#include <cstdio>

#include "base/message_box.h"
#include "playback/graph/audio_sinks.h"
#include "playback/graph/media_graph.h"
#include "playback/graph/output_list.h"
#include "playback/graph/output_test_file.h"
#include "session/registry.h"

namespace tamberline {
namespace {

// A card is accepted when the test file reaches its renderer.
bool PlaysTestFile(AudioSinkCatalog& catalog, const std::string& name, const std::string& file) {
    MediaGraph probe(-1, nullptr);
    return probe.AddRenderer(catalog.CreateRenderer(name)) && probe.RenderFile(file) &&
           probe.IsRendererConnected();
}

}  // namespace

std::string OutputDisplayName(const std::string& deviceName, const Registry& registry) {
    std::string userName;
    if (registry.GetString(settings::OutputUserName(deviceName), userName)) {
        return userName;
    }
    const size_t colon = deviceName.find(": ");
    return colon == std::string::npos ? deviceName : deviceName.substr(colon + 2);
}

void BuildOutputs(const OutputServices& services, OutputTable& table, OutputList& list) {
    list.Clear();
    table.entries.clear();
    table.asioActive = false;
    if (services.engine != nullptr) {
        services.engine->AddEngineOutputs(table, services.header);
    }

    const std::string testFile = OutputTestFilePath(services.tempFolder);
    const bool probing = WriteOutputTestFile(testFile);
    for (const std::string& name : SelectSoundCards(services.catalog->Enumerate())) {
        if (static_cast<int>(table.entries.size()) >= kMaxOutputs) {
            break;
        }
        if (services.header) {
            services.header(" Loading " + name + " ");
        }
        if (!probing || PlaysTestFile(*services.catalog, name, testFile)) {
            table.entries.push_back({name, std::string(), false});
        }
    }
    if (probing) {
        std::remove(testFile.c_str());
    }

    std::stable_partition(table.entries.begin(), table.entries.end(),
                          [](const OutputEntry& entry) { return entry.onAudioEngine; });
    for (OutputEntry& entry : table.entries) {
        entry.displayName = entry.onAudioEngine
                                ? entry.deviceName
                                : OutputDisplayName(entry.deviceName, *services.registry);
    }
    list.Fill(table);

    if (table.entries.empty()) {
        services.messageBox->Show(
            "Unable to find any audio hardware.\nPlease check the setup of this PC.",
            mb::kOk | mb::kIconStop);
    }
}

std::vector<int> RenameOutput(OutputTable& table, OutputList& list, int index,
                              const std::string& name, Registry& registry) {
    std::vector<int> rows(OutputList::kRows);
    for (int row = 0; row < OutputList::kRows; ++row) {
        rows[static_cast<size_t>(row)] = row;
    }
    if (index < 0 || index >= static_cast<int>(table.entries.size()) ||
        table.entries[static_cast<size_t>(index)].onAudioEngine) {
        return rows;
    }
    std::vector<int> before(OutputList::kRows);
    for (int row = 0; row < OutputList::kRows; ++row) {
        before[static_cast<size_t>(row)] = list.TableIndex(row, table);
    }
    OutputEntry& entry = table.entries[static_cast<size_t>(index)];
    registry.SetString(settings::OutputUserName(entry.deviceName), name);
    entry.displayName = OutputDisplayName(entry.deviceName, registry);
    list.Fill(table);
    for (int row = 0; row < OutputList::kRows; ++row) {
        const int was = before[static_cast<size_t>(row)];
        for (int now = 0; was >= 0 && now < list.Count(); ++now) {
            if (list.TableIndex(now, table) == was) {
                rows[static_cast<size_t>(row)] = now;
                break;
            }
        }
    }
    return rows;
}

bool AddOutputRenderer(MediaGraph& graph, const OutputTable& table, int index,
                       AudioSinkCatalog& catalog) {
    if (index < 0 || index >= static_cast<int>(table.entries.size()) ||
        table.entries[index].onAudioEngine) {
        return false;
    }
    return graph.AddRenderer(catalog.CreateRenderer(table.entries[index].deviceName));
}

}  // namespace tamberline

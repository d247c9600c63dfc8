#pragma once

#include <string>
#include <vector>

#include "playback/output_table.h"

namespace tamberline {

class AudioSinkCatalog;
class MediaGraph;
class MessageBox;
class OutputList;
class Registry;

// What building the outputs works with. `engine` may be null (no audio
// engine); the others must be set.
struct OutputServices {
    EngineOutputBuilder* engine = nullptr;
    AudioSinkCatalog* catalog = nullptr;
    const Registry* registry = nullptr;
    MessageBox* messageBox = nullptr;
    HeaderMessageFn header;
    std::string tempFolder;  // where the test file is written, without a trailing '/'
};

// (Re)builds the output table and the output list: the engine's pairs, then
// every sound card that can play the silent test file, at most 32 in all;
// tells the operator when there is no output at all. The caller marks the
// outputs ready afterwards. The test file is played on a graph of its own, so
// a rebuild while buttons play never touches their graphs.
void BuildOutputs(const OutputServices& services, OutputTable& table, OutputList& list);

// The name the operator sees for a sound card: the user's name for it from
// the settings, else the text after the first ": " of its friendly name.
std::string OutputDisplayName(const std::string& deviceName, const Registry& registry);

// Renames sound card `index` of the table: the name is stored under its
// device name (an empty name restores the default) and the list is filled
// again. Returns, for each of the list's rows before, its row now (rows
// that name no output keep their number).
std::vector<int> RenameOutput(OutputTable& table, OutputList& list, int index,
                              const std::string& name, Registry& registry);

// Puts the renderer of sound card `index` of the table into `graph`. False for
// an index that names no sound card, or a card that is gone.
bool AddOutputRenderer(MediaGraph& graph, const OutputTable& table, int index,
                       AudioSinkCatalog& catalog);

}  // namespace tamberline

#pragma once

#include <vector>

#include "session/button_record.h"

namespace tamberline {

class ConsoleGrid;
class GridHooks;
class LinkState;
class MessageBox;
class Registry;
class RunControl;
class Session;

// What the editing gestures work with.
struct EditContext {
    Session& session;
    RunControl& run;
    MessageBox& box;
    Registry& registry;
    GridHooks& hooks;
    const LinkState& link;
    ConsoleGrid& grid;
};

// One undoable change of button records: every button is touched before
// it changes, so that one Undo restores them all. A button that plays is
// stopped before its record changes, so the engine never plays a record
// the grid no longer shows. Finishing keeps the step only when a record
// really changed, then re-checks the cue and the status line.
class RecordEdit {
public:
    explicit RecordEdit(const EditContext& context);
    ~RecordEdit();
    RecordEdit(const RecordEdit&) = delete;
    RecordEdit& operator=(const RecordEdit&) = delete;

    void Touch(int button);
    ButtonRecord& Record(int button);
    // `cancelled`: nothing of the change is kept.
    void Finish(bool cancelled = false);

private:
    const EditContext& context_;
    std::vector<int> touched_;
    bool finished_ = false;
};

// The record of a button that receives its first file: full level,
// centre, normal speed, the colour and output last chosen.
ButtonRecord NewButtonRecord(const Registry& registry);

}  // namespace tamberline

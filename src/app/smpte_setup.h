#pragma once

namespace tamberline {

class AsioControlPanels;
class ListSelectionModel;
class ListSelectionRunner;
class Registry;
class SmpteReader;

// The "SMPTE Source" dialog: the capture devices with the stored choice
// selected and "Device control" opening the control program stored under
// the selected device. While it is open, devices coming or going fill its
// list afresh. On OK the choice is stored in "SMPTEin"; returns 9 then, 0
// when cancelled.
int ChooseSmpteSource(SmpteReader& reader, Registry& registry, ListSelectionRunner& dialog,
                      AsioControlPanels& panels);

// The reader's devices as the open list's rows: the operator's selection
// where that device is still there, else the stored choice as at opening
// (the first device when none is stored; none when it is not there).
void RefillSmpteSource(ListSelectionModel& model, const SmpteReader& reader);

}  // namespace tamberline

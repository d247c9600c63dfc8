#pragma once

namespace tamberline {

class AsioControlPanels;
class ListSelectionRunner;
class Registry;
class SmpteReader;

// The "SMPTE Source" dialog: the capture devices with the stored choice
// selected and "Device control" opening the control program stored under
// the selected device. On OK the choice is stored in "SMPTEin"; returns 9
// then, 0 when cancelled.
int ChooseSmpteSource(SmpteReader& reader, Registry& registry, ListSelectionRunner& dialog,
                      AsioControlPanels& panels);

}  // namespace tamberline

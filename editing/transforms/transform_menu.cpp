// The Transform menu's dispatcher.
#include "editing/transforms/transform_menu.h"

#include "editing/edit_context.h"

namespace {

void RunTransformItem(int16_t item, int32_t flags) {
  switch (item) {
    case 0: NudgeSelection(flags); break;
    case 1: OpenQuantizeDialog(); break;
    case 2: OpenDurationDialog(); break;
    case 3: OpenTransposeDialog(); break;
    case 4: OpenHumanizeDialog(); break;
    case 5: OpenVelocityDialog(); break;
    case 6: OpenChannelDialog(); break;
    case 7: OpenShiftDialog(); break;
    case 8: OpenControllerValueDialog(); break;
    case 9: OpenPitchBendDialog(); break;
    case 10: OpenLimitDialog(); break;
    case 11: OpenThinDialog(); break;
    case 12: ShiftNotesBySemitones(flags); break;
    default: break;  // 13 and 14 are the menu routes' own
  }
}

}  // namespace

void DoTransformMenuItem(int16_t item, int32_t flags) {
  SetEditContextKind();
  RunTransformItem(item, flags);
  FinishEditCommand();
}

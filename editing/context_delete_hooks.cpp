#include "editing/context_delete_hooks.h"

#include "editing/edit_context.h"
#include "song/conductor/conductor_edits.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/markers.h"
#include "song/documents/playback_reset.h"
#include "song/undo/undo_ring.h"
#include "song/undo/undo_steps.h"

ContextDeleteHooks gContextDeleteHooks;

namespace {

struct KindedStep {
  int16_t undoKind;
};

void TakeUndoKind(void* arg) {
  int16_t kind = static_cast<KindedStep*>(arg)->undoKind;
  if (kind > 0) SetCurrentUndoKind(kind);
}

int32_t DeleteConductorSelectionStep(void* arg) {
  TakeUndoKind(arg);
  DeleteSelectedConductorRecords();
  StoreConductorEndTick();
  return 0;
}

int32_t DeleteMarkerSelectionStep(void* arg) {
  TakeUndoKind(arg);
  DeleteSelectedMarkers();
  return 0;
}

int32_t ResetPlaybackStep(void* arg) {
  TakeUndoKind(arg);
  ResetPlaybackState(0);
  return 0;
}

}  // namespace

void RunContextTextCommand(int32_t command) {
  if (gContextDeleteHooks.runTextCommand) gContextDeleteHooks.runTextCommand(command);
}

void DeleteInOtherWindow(int16_t undoKind) {
  KindedStep step{undoKind};
  switch (gEditContextKind) {
    case kContextSongList:
      if (gContextDeleteHooks.deleteSelectedSongs) gContextDeleteHooks.deleteSelectedSongs();
      break;
    case kContextConductorList:
      RunUndoableEdit(DeleteConductorSelectionStep, &step);
      break;
    case kContextRemote:
      ResetUndoHistory();
      if (gContextDeleteHooks.deleteRemoteSelection) gContextDeleteHooks.deleteRemoteSelection(undoKind);
      break;
    case kContextInstruments:
      RunUndoableTimeSelectionEdit(ResetPlaybackStep, &step);
      if (gContextDeleteHooks.deleteInstrumentSelection) gContextDeleteHooks.deleteInstrumentSelection(undoKind);
      break;
    case kContextMarkers:
      RunUndoableEdit(DeleteMarkerSelectionStep, &step);
      break;
    case kContextWindow14:
      if (gContextDeleteHooks.deleteWindow14Selection) gContextDeleteHooks.deleteWindow14Selection(undoKind);
      break;
    case kContextWindow16:
      RunContextTextCommand(kTextCommandClear);
      break;
    case kContextJukebox:
      if (gContextDeleteHooks.runJukeboxItem) gContextDeleteHooks.runJukeboxItem(kJukeboxDeleteItem);
      break;
    default:
      break;
  }
}

#include "shell/app/open_deferral.h"

#include "sequencer/transport/transport_engine.h"
#include "shell/app/song_switch.h"
#include "shell/base/app_state.h"
#include "shell/dialogs/dialog_state.h"
#include "song/documents/document_hooks.h"
#include "song/documents/open_dispatch.h"

namespace {

int32_t gDeferredOpenArg = 0;

// The deferred open: it waits on the idle-task stack while a dialog is still up, so that the
// document is not lost, and runs once the dialog has gone.
void RunDeferredOpen() {
  if (IsInModalPhase()) return;
  PopIdleTask();
  if (RunOpenDispatch(gDeferredOpenArg) != noErr) gAppState[4] &= uint16_t(~kAppWord4Opening);
  RefreshAfterSongSwitch(1);
}

bool DeferOpenUntilNoDialog(int32_t arg) {
  if (!IsInModalPhase()) return false;
  DrainIdleTasks();
  gDeferredOpenArg = arg;
  PushIdleTask(RunDeferredOpen);
  return true;
}

}  // namespace

bool IsInModalPhase() { return gCurrentDialog != nullptr || gDialogBusy != 0; }

void InstallOpenDeferralHooks() { gDocumentHooks.deferOpenWhileModal = DeferOpenUntilNoDialog; }

#include "shell/app/idle_tasks.h"

#include "platform/coremidi/core_midi.h"
#include "platform/quickdraw/ports.h"
#include "platform/resources/resource_manager.h"
#include "platform/windows/windows.h"
#include "sequencer/midi/coremidi_driver.h"
#include "shell/app/app_entry.h"
#include "shell/base/app_state.h"
#include "shell/base/event_records.h"
#include "shell/base/idle_flag.h"
#include "shell/dialogs/nib_dialog.h"
#include "shell/windows/app_windows.h"
#include "song/model/song_context.h"
#include "song/undo/undo_ring.h"

IdleTimerRecord gIdleTimer;

namespace {

bool ServeQuitRequest() {
  if (gQuitFlag == 0) return false;
  QuitApplicationEventLoop();
  return true;
}

void RunPendingRedraws() {
  for (int16_t k = 2; k <= 31 && gPendingWindowRefresh != 0; ++k) {
    uint32_t bit = 1u << k;
    if (!(gPendingWindowRefresh & bit)) continue;
    gPendingWindowRefresh &= ~bit;
    RedrawAppWindowOfKind(k == kKeyboardRefreshBit ? int16_t(kKeyboardWindowKind) : k);
  }
}

void ReinstallIdleTimer(EventTimerInterval interval) {
  if (gIdleTimer.timer) RemoveEventLoopTimer(gIdleTimer.timer);
  gIdleTimer.timer = nullptr;
  InstallEventLoopTimer(gIdleTimer.loop, interval, interval, RunIdleTimer, &gIdleTimer,
                        &gIdleTimer.timer);
  gIdleTimer.interval = interval;
}

}  // namespace

void InstallIdleTimer() {
  RemoveIdleTimer();
  gIdleTimer.loop = GetMainEventLoop();
  InstallEventLoopTimer(gIdleTimer.loop, kIdleFirstInterval, kIdleFirstInterval, RunIdleTimer,
                        &gIdleTimer, &gIdleTimer.timer);
  gIdleTimer.interval = kIdleFirstInterval;
}

void RemoveIdleTimer() {
  if (gIdleTimer.timer) RemoveEventLoopTimer(gIdleTimer.timer);
  gIdleTimer.timer = nullptr;
}

EventTimerInterval ChooseIdleInterval() {
  // Interim: the armed-track count, section mode and the audio engine's play state that
  // ask for the faster rate belong to subsystems not built yet.
  return kIdleSlowInterval;
}

void RunIdleTimer(EventLoopTimerRef, void*) {
  if (ServeQuitRequest()) return;
  EventTimerInterval interval = ChooseIdleInterval();
  if (interval != gIdleTimer.interval) ReinstallIdleTimer(interval);
  if (ServeNibDialogIdle()) return;  // a running nib dialog has the idle step to itself
  if (gAppState[1] & kAppWord1DrawingSuppressed) return;
  if (GetIdleFlag() != 0 || !gCurrentSongHandle || IsSongHeldByUndo(gCurrentSongHandle)) return;
  GrafPtr port = nullptr;
  GetPort(&port);
  if (!port) return;
  GetGlobalMouse(&gLastEvent.where);
  RunIdleTasks();
}

void RunIdleTasks() {
  SInt16 keptResFile = CurResFile();
  if (ServeQuitRequest()) return;
  if (gAppState[4] & kAppWord4SleepPending) return;
  GrafPtr savedPort = nullptr;
  GetPort(&savedPort);
  RunPendingRedraws();
  // MIDI notifications (devices added or removed) and the set-up changes they ask for.
  MIDIDeliverPendingNotifications();
  ApplyMidiSetupChanges();
  // Interim: the idle-task stack, background jobs, the editors', the
  // mixer's and the plug-ins' idle steps and the transport follow-up belong to subsystems
  // not built yet.
  if (savedPort) SetPort(savedPort);
  if (CurResFile() != keptResFile) UseResFile(keptResFile);
}

void RedrawAppWindowOfKind(int16_t kind) {
  WindowRef window = GetAppWindowRef(GetWindowForKind(kind));
  if (!window || !IsWindowVisible(window)) return;
  Rect bounds;
  GetWindowPortBounds(window, &bounds);
  InvalWindowRect(window, &bounds);
}

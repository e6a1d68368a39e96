#include "shell/app/idle_tasks.h"

#include "audio/engine/engine_run_state.h"
#include "editors/editor_idle.h"
#include "editors/follow/beat_indicator.h"
#include "editors/follow/window_refresh.h"
#include "editors/track_meters.h"
#include "media/background_jobs.h"
#include "mixer/mixer_idle.h"
#include "performance/performance_idle.h"
#include "platform/controls/controls.h"
#include "platform/coremidi/core_midi.h"
#include "platform/quickdraw/pens.h"
#include "platform/quickdraw/ports.h"
#include "platform/resources/resource_manager.h"
#include "platform/threads/cooperative_threads.h"
#include "platform/windows/windows.h"
#include "plugins/host/plugin_devices.h"
#include "plugins/library/plugin_examination.h"
#include "plugins/plugin_idle.h"
#include "sequencer/clock/note_off_queue.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/midi/coremidi_driver.h"
#include "sequencer/midi/processor_routing.h"
#include "sequencer/midi/realtime_processors.h"
#include "song/prefs/startup_settings.h"
#include "sequencer/transport/transport_engine.h"
#include "sequencer/transport/transport_idle.h"
#include "shell/app/app_entry.h"
#include "shell/app/idle_steps.h"
#include "shell/base/app_state.h"
#include "shell/base/event_records.h"
#include "shell/base/idle_flag.h"
#include "shell/dialogs/nib_dialog.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/info_panel.h"
#include "song/instruments/instrument_record.h"
#include "song/model/audio_engine_hooks.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/track_numbers.h"
#include "song/model/utility_track_access.h"
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

// The idle pass runs unless a nib dialog has the idle step to itself, drawing is suppressed,
// an event handler runs, there is no current song or the undo code holds it, or the port is
// invalid. False when it did not run.
bool RunIdlePassIfAllowed() {
  if (ServeNibDialogIdle()) return false;
  if (gAppState[1] & kAppWord1DrawingSuppressed) return false;
  if (GetIdleFlag() != 0 || !gCurrentSongHandle || IsSongHeldByUndo(gCurrentSongHandle)) return false;
  GrafPtr port = nullptr;
  GetPort(&port);
  if (!port) return true;  // nothing can be drawn: the pass is left out, not replaced
  PenState pen;
  GetPenState(&pen);
  GetGlobalMouse(&gLastEvent.where);
  PenNormal();
  RunIdleTasks();
  SetPenState(&pen);
  return true;
}

// The MIDI set-up idle: device notifications and the port rescans they ask for.
void MidiSetupIdle() {
  MIDIDeliverPendingNotifications();
  ApplyMidiSetupChanges();
}

// Background jobs run only while the main thread yields; they may select another track.
void YieldToBackgroundJobs() {
  if (gOverviewThreadCount == 0) return;
  int32_t track = gCurrentTrackNumber;
  YieldToAnyThread();
  SelectTrackNumber(track);
}

bool IsFrontKind(int16_t kind) {
  const AppWindow* front = FindAppWindow(FrontNonFloatingWindow());
  return front && front->kind == kind;
}

void RunWindowIdleSteps() {
  RefreshChosenWindow();
  if (IsFrontKind(kMainEditorWindowKind)) {
    EditorIdle();
    if (!gSectionMode && IsEditorModeTwo()) EditorSecondIdle();
  } else if (IsFrontKind(kTrackWindowKind)) {
    TrackWindowIdle();
  }
  UpdateTrackActivityMeter();
  if (WindowRef front = FrontNonFloatingWindow()) IdleControls(front);
  PluginWindowsIdle();
  ServicePluginExaminations(0);
  ReWireIdle();
  if (IsAppWindowVisible(GetWindowForKind(kMixerKind))) MixerMetersIdle();
  InstrumentWindowIdle();
}

bool IsOfflineRenderRunning() { return gEngineStateWords[0] != 0 || gEngineStateWords[1] != 0; }

void DropLastInputNote() {
  uint8_t note = 0, velocity = 0;
  ReadLastInputNote(&note, &velocity);
}

void RunForegroundSteps() {
  if (!IsOfflineRenderRunning()) UpdateEditorInstrumentDisplay();
  bool editorPolls = IsFrontKind(kMainEditorWindowKind) && IsEditorModeTwo();
  if (!editorPolls && !(gTransportClock.flags.load() & kClockFlagStartBlocked)) DropLastInputNote();
  PositionDisplayIdle();
  RedrawCounterWindow();
  UpdateBeatIndicator();
  RefreshRandomTableRow();
}

// The transport's follow-up, the note-offs that fell due without a clock task, and the
// services that run once a pass.
void RunTransportSteps() {
  FollowTransportStateAtIdle();
  SequencerIdleTaskService();
  CatchUpNoteOffQueue();
  RefreshRandomTableRow();
  TempoFollowerIdle();
  PerformanceToolsService();
  if (!IsOfflineRenderRunning() && CountSongTrackDevices(0) > 0 && !gClickOutputPrepared)
    PrepareOutputForDeviceKind(kDeviceKindPlugin);
  PrepareNodeOutputs();
}

}  // namespace

void PrepareNodeOutputs() {
  if (!(gRealtimeProcessorSettings & 1)) return;
  for (const RealtimeProcessor* p = gMidiInputs; p; p = p->next)
    if (p->deviceKind && !(p->flags & kProcessorSwitchedOff)) PrepareOutputForDeviceKind(p->deviceKind);
}

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
  if (IsAppInBackground()) return kIdleSlowInterval;
  bool armed = gCurrentSong && gCurrentSong[kSongArmedCount] != 0;
  bool playShown = GetAudioEnginePlayState() != 0 &&
                   (IsAppWindowVisible(GetWindowForKind(kInstrumentWindowKindId)) ||
                    IsAppWindowVisible(GetWindowForKind(kTrackWindowKind)));
  if (!gSectionMode && !armed && !playShown) return kIdleSlowInterval;
  return gSequenceGrabber ? kIdlePlayInterval / 2 : kIdlePlayInterval;
}

void RunIdleTimer(EventLoopTimerRef, void*) {
  if (ServeQuitRequest()) return;
  EventTimerInterval interval = ChooseIdleInterval();
  if (interval != gIdleTimer.interval) ReinstallIdleTimer(interval);
  if (!RunIdlePassIfAllowed()) RealtimeProcessorsIdle(gRealtimeProcessors);
}

void RunIdleTasks() {
  SInt16 keptResFile = CurResFile();
  if (ServeQuitRequest()) return;
  if (gAppState[4] & kAppWord4SleepPending) return;
  GrafPtr savedPort = nullptr;
  GetPort(&savedPort);
  KeyboardWindowIdle();
  RunPendingRedraws();
  if (!(gAppState[4] & kAppWord4Loading)) MidiSetupIdle();
  RunIdleTask(true);
  YieldToBackgroundJobs();
  RunWindowIdleSteps();
  if (IsAppInBackground()) {
    DropLastInputNote();
  } else {
    RunForegroundSteps();
  }
  RunTransportSteps();
  if (savedPort) SetPort(savedPort);
  if (CurResFile() != keptResFile) UseResFile(keptResFile);
  UpdatePluginMenus();
  RhythmToolIdle();
}

void RedrawAppWindowOfKind(int16_t kind) {
  WindowRef window = GetAppWindowRef(GetWindowForKind(kind));
  if (!window || !IsWindowVisible(window)) return;
  Rect bounds;
  GetWindowPortBounds(window, &bounds);
  InvalWindowRect(window, &bounds);
}

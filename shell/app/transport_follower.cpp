#include "shell/app/transport_follower.h"

#include "editors/editor_idle.h"
#include "editors/key_command_hooks.h"
#include "editors/transport_keys.h"
#include "plugins/plugin_host_commands.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/transport/transport_engine.h"
#include "sequencer/transport/transport_requests.h"
#include "sequencer/transport/transport_start_tasks.h"
#include "sequencer/transport/transport_tempo.h"
#include "shell/windows/info_panel.h"

uint8_t gLastTransportFlagsByte = 0;
uint8_t gInfoPanelRefreshCountdown = 0;
uint32_t gPendingAudioPrepare = 0;

namespace {

constexpr uint8_t kPanelRefreshPasses = 4;
// A stop keeps only these: the record ask, varispeed and the locate request.
constexpr uint8_t kKeptByStop = kRequestRecordAsk | kRequestVarispeed | kRequestLocate;
// ReWire drives the transport: the end tasks leave the running and cycle bits alone.
constexpr uint16_t kReWireTransportOwner = 0x100;

uint8_t Flags() { return GetTransportRequestByte(); }

void QuietPass() {
  if (gInfoPanelRefreshCountdown != 0 && --gInfoPanelRefreshCountdown == 0) UpdateInfoPanel();
  if (gPendingAudioPrepare == 0 || gClickOutputPrepared) return;
  PrepareAudioAtLocatePoint();
  gPendingAudioPrepare = 0;
}

// The pass ends at once: the ticks are halted already, the clock is switched back to idle and
// the pass's own task ends with it.
void HandleStop(uint8_t start, uint8_t* last) {
  StopTransport(false);  // stopped already, it only shows the state again
  DrainIdleTasks();
  KeepTransportRequestBits(kKeptByStop);
  if (Flags() != start) gInfoPanelRefreshCountdown = kPanelRefreshPasses;
  *last = Flags();
}

void HandleLocate(uint8_t* last) {
  DrainIdleTasks();
  RunLocateRequest(gLocateRequestMode);
  ClearTransportRequestBits(kRequestLocate);
  if (gWasPlayingAtReturn) SetTransportRequestBits(kRequestRunning);
  gInfoPanelRefreshCountdown = kPanelRefreshPasses;
  *last = Flags();
}

void StartRecord(uint8_t* last) {
  if ((gClockOptionByte & 1) && !(Flags() & kRequestCycle)) {
    SetTransportRequestBits(kRequestCycle);
    UpdateInfoPanel();
  }
  StartRecordTasks();
  *last = Flags();
}

// A newly set record request while running; true when recording started.
bool StartRecordWhileRunning(uint8_t* last) {
  if (Flags() & kRequestRecordBlock) {
    ClearTransportRequestBits(kRequestRecord);
    return false;
  }
  if (gClockOptionByte & 1) ToggleTransportOption(0);
  RunIdleTask(true);
  SetTransportStartTick(0x7FFFFFFF);
  SetLocatePoint(gTransportClock.songTick.load() + 1);
  StartRecord(last);
  return true;
}

void StartPlay(uint8_t* last) {
  DrainIdleTasks();
  if (!(Flags() & kRequestRunning)) {
    SetTransportRequestBits(kRequestRunning);
    UpdateInfoPanel();
  }
  PushIdleTask(EndPlayIdleTask);
  StartPlayTasks();
  *last = Flags();
}

void StartCycle(uint8_t* last) {
  DrainIdleTasks();
  uint8_t before = Flags();
  ClearTransportRequestBits(kRequestRunning);
  SetTransportRequestBits(kRequestCycle);
  if (Flags() != before) UpdateInfoPanel();
  PushIdleTask(EndCycleIdleTask);
  StartCycleTasks();
  *last = Flags();
}

// Steps c to e: a play or record start while running, else a record or cycle start.
void HandleStarts(uint8_t* last) {
  uint8_t f = Flags();
  if ((f & kRequestRunning) && !(f & kRequestCycle)) {
    bool newRecord = (f & kRequestRecord) && !(*last & kRequestRecord);
    if (!newRecord) return StartPlay(last);
    if (StartRecordWhileRunning(last)) return;
  }
  if ((Flags() & (kRequestRecordAsk | kRequestRecordBlock)) == (kRequestRecordAsk | kRequestRecordBlock))
    SetTransportRequestBits(kRequestRecord);
  if (Flags() & kRequestRecord) {
    DrainIdleTasks();
    if (Flags() & kRequestRecord) StartRecord(last);
  } else if (Flags() & kRequestCycle) {
    StartCycle(last);
  }
}

}  // namespace

void FollowTransportStateAtIdle() {
  uint8_t start = Flags();
  uint8_t last = uint8_t(gLastTransportFlagsByte & ~kRequestStop);
  if (start == last) return QuietPass();
  UpdateInfoPanel();
  if (Flags() & kRequestStop) HandleStop(start, &last);
  if (Flags() & kRequestLocate) HandleLocate(&last);
  HandleStarts(&last);
  if ((Flags() & kRequestVarispeed) && !IsVarispeedHeld()) {
    ResetPlaybackRate();
    last = Flags();
  }
  gLastTransportFlagsByte = last;
}

void EndPlayIdleTask() {
  if (!(gReWireState & kReWireTransportOwner)) {
    gLastTransportFlagsByte &= uint8_t(~kRequestRunning);
    if (Flags() & kRequestRunning) {
      ClearTransportRequestBits(kRequestRunning);
      UpdateInfoPanel();
    }
  }
  PopIdleTask();
}

void EndCycleIdleTask() {
  uint8_t f = Flags();
  ClearTransportRequestBits(kRequestRunning);
  if ((f & (kRequestRunning | kRequestCycle)) == (kRequestRunning | kRequestCycle)) {
    ClearTransportRequestBits(kRequestStop);
    gLastTransportFlagsByte = 0;
    PopIdleTask();
    return;
  }
  PopIdleTask();
  if (gReWireState & kReWireTransportOwner) return;
  ClearTransportRequestBits(kRequestCycle);
  SetCycleMode(false);
  gLastTransportFlagsByte &= uint8_t(~(kRequestRunning | kRequestCycle));
  UpdateInfoPanel();
}

void InstallTransportFollowerHooks() { gKeyCommandHooks.followTransportState = FollowTransportStateAtIdle; }

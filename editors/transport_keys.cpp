#include "editors/transport_keys.h"

#include <algorithm>

#include "editors/follow/play_cursor.h"
#include "editors/key_command_hooks.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/windows/windows.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/transport/transport_engine.h"
#include "sequencer/transport/transport_requests.h"
#include "shell/windows/app_windows.h"
#include "song/conductor/conductor_map.h"
#include "song/model/song_context.h"

uint8_t gWasPlayingAtReturn = 0;
uint8_t gLocateRequestMode = 0;

namespace {

int16_t FrontWindowKind() {
  const AppWindow* front = FindAppWindow(FrontNonFloatingWindow());
  return front ? front->kind : int16_t(0);
}

bool IsKindOpen(int16_t kind) {
  const AppWindow* w = GetWindowForKind(kind);
  return w && w->window;
}

void LocateTo(uint32_t tick) {
  if (gKeyCommandHooks.locateToPosition) {
    gKeyCommandHooks.locateToPosition(tick);
    return;
  }
  SetLocatePoint(tick);
  StoreClockLocatePosition(gLocatePoint.tick);
}

void ShowLocateInEditor(uint32_t tick, bool centre) {
  int32_t p = int32_t(std::min<uint32_t>(tick, INT32_MAX));
  if (!centre) {
    if (!IsTickVisible(p)) ScrollToShowTick(p);
    return;
  }
  int32_t halfWidth = std::max<int32_t>(GetTimelineRightTick() - gTimelineLeftTick, 0) / 2;
  ScrollToShowTick(std::max(p - halfWidth, 1));
}

}  // namespace

bool IsTransportPlaying() { return IsClockTaskPlaying(); }

void TogglePlayStop() {
  ClearTransportRequestBits(kRequestRecord);
  if (IsTransportPlaying()) RequestTransportStop();
  else RequestTransportPlay();
}

void SetTransportRequest(int16_t n) {
  if (IsTransportPlaying()) RequestTransportStop();
  if (n >= 0 && n < 8) SetTransportRequestBits(uint8_t(1u << n));
}

void RunLocateRequest(uint8_t mode) {
  if (mode != 0) {
    LocateTo(1);
    return;
  }
  if (gFollowHold) LocateTo(1);
  else LocateAndShowInWindows(1, kEditorWindowKindsMask);
}

void ReturnKeyAction() {
  gWasPlayingAtReturn = IsTransportPlaying() ? 1 : 0;
  SetTransportRequest(3);
  if (gFollowHold) LocateTo(1);
  else LocateAndShowInWindows(1, kEditorWindowKindsMask);
}

void LocateAndShowInWindows(uint32_t tick, uint32_t kindMask) {
  LocateTo(tick);
  uint32_t kinds = kindMask & 0xFFFFFF;
  if (kinds == 0) kinds = 1u << (FrontWindowKind() & 31);
  for (int16_t kind : {int16_t(4), int16_t(5), int16_t(7), int16_t(8), int16_t(11)}) {
    if (!(kinds & (1u << kind)) || !IsKindOpen(kind)) continue;
    if (kind == kMainEditorWindowKind) ShowLocateInEditor(gLocatePoint.tick, kindMask & kCentreEditorOnLocate);
    else if (gKeyCommandHooks.showPositionInWindow) gKeyCommandHooks.showPositionInWindow(kind);
  }
}

uint32_t NextBarLineTick(uint32_t position) {
  int32_t bar = TickToBar(int32_t(std::min<uint32_t>(position, INT32_MAX)));
  return uint32_t(std::max(BarToTick(bar + 1), 1));
}

uint32_t PreviousBarLineTick(uint32_t position) {
  int32_t before = int32_t(std::min<uint32_t>(position > 1 ? position - 1 : 1, INT32_MAX));
  return uint32_t(std::max(BarToTick(TickToBar(before)), 1));
}

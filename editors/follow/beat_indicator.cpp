#include "editors/follow/beat_indicator.h"

#include <algorithm>

#include "platform/system/host_time.h"
#include "platform/quickdraw/ports.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/midi/midi_input.h"
#include "sequencer/transport/transport_tempo.h"
#include "shell/drawing/drawing_ports.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/info_panel.h"
#include "shell/windows/window_activation.h"

namespace {

constexpr uint16_t kBeatIndicatorBit = 0x100;
constexpr int32_t kBeatIndicatorLamp = 1;
uint32_t gLastPhase = UINT32_MAX;
uint32_t gLastChangeTicks = 0;

void ShowIndicator(bool on) {
  bool was = (gDisplayWord & kBeatIndicatorBit) != 0;
  if (was == on) return;
  gDisplayWord = on ? uint16_t(gDisplayWord | kBeatIndicatorBit) : uint16_t(gDisplayWord & ~kBeatIndicatorBit);
  if (!GetAppWindowRef(&gInfoPanelRecord)) return;
  GrafPtr saved = nullptr;
  GetPort(&saved);
  SetPortToAppWindow(&gInfoPanelRecord);
  Rect lamp;
  GetInfoPanelLampRect(kBeatIndicatorLamp, &lamp);
  InvalPortRect(&lamp);
  if (saved) SetPort(saved);
}

}  // namespace

uint32_t BeatIndicatorPhase(uint32_t bar, uint32_t beatsPerBar, uint32_t beat, uint32_t tickInBeat,
                            uint32_t ticksPerBeat) {
  uint32_t beats = bar * beatsPerBar + beat;
  return 2 * beats + (ticksPerBeat > 0 && tickInBeat * 2 >= ticksPerBeat ? 1 : 0);
}

uint32_t BeatIndicatorTimeout(uint32_t tempo) { return std::max<uint32_t>(36000 / std::max<uint32_t>(tempo, 1), 1); }

void UpdateBeatIndicator() {
  if (!IsClockTaskPlaying()) {
    gLastPhase = UINT32_MAX;
    return;
  }
  if ((gMidiInputFlags & kInputPollSuspended) && !(gMidiInputOptions & kInputTempoTapped)) {
    ShowIndicator(true);
    return;
  }
  const TransportClock& c = gTransportClock;
  if (gClockSyncSource >= 2) {
    uint32_t now = TickCount();
    if (now - gLastChangeTicks < BeatIndicatorTimeout(c.tempo)) return;
    gLastChangeTicks = now;
    ShowIndicator((gDisplayWord & kBeatIndicatorBit) == 0);
    return;
  }
  uint32_t phase = BeatIndicatorPhase(c.bar, c.beatsPerBar, c.beatInBar, c.tickInBeat, c.ticksPerBeat);
  if (phase == gLastPhase) return;
  gLastPhase = phase;
  ShowIndicator((phase & 1) == 0);
}

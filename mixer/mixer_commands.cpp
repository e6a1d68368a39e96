#include "mixer/mixer_commands.h"

#include "shell/drawing/drawing_ports.h"
#include "shell/windows/app_windows.h"

uint16_t gInstrumentWindowShowBits = 0;

void HandleInstrumentWindowMenu(int16_t item) {
  if (item < 1 || item > 16) return;
  gInstrumentWindowShowBits ^= uint16_t(1u << (item - 1));
  InvalAppWindowPort(GetWindowForKind(kInstrumentWindowKindId));
}

int32_t RunMixerPluginDialog(int32_t, int32_t, int32_t, int32_t) { return kPluginDialogUnavailable; }

#include "mixer/mixer_idle.h"

#include "mixer/meters/instrument_meters.h"
#include "mixer/window/mixer_drawing.h"
#include "shell/windows/app_windows.h"

void MixerMetersIdle() { MixerRefreshIdle(); }

void InstrumentWindowIdle() {
  if (IsAppWindowVisible(GetWindowForKind(kInstrumentWindowKindId))) InstrumentMeterTimer();
}

// The mixer's commands: the instrument window's menu (which parts of its strips are shown)
// and the offline plug-in processing dialog.
#pragma once

#include <cstdint>

// Menu 68: each item switches one part of the instrument window's strips on or off (bit
// item - 1 of gInstrumentWindowShowBits) and the window is redrawn. Items outside 1..16 do
// nothing.
extern uint16_t gInstrumentWindowShowBits;
void HandleInstrumentWindowMenu(int16_t item);

constexpr int32_t kPluginDialogUnavailable = -4;
// Runs the offline plug-in processing dialog for the selection; negative: cancelled or
// failed. Interim: plug-ins are not loaded yet, so the dialog is unavailable.
int32_t RunMixerPluginDialog(int32_t pluginId, int32_t a, int32_t b, int32_t flags);

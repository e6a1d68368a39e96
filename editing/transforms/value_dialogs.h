// The dialogs of the value transforms: "vel" (Transform item 5), "lim" (item 10), "thin"
// (item 11), "conmidi" (item 8) and "pb" (item 9). Each opener runs its dialog modally and,
// when confirmed, the transform as one undoable step.
#pragma once

#include <cstdint>

#include "editing/transforms/transform_menu.h"  // the openers

// The run kind the "conmidi" target chooses: modulation is controller 1, channel pressure is
// channel pressure, controller N is controller N.
void SetRunFromControllerTarget(uint8_t target, int32_t controller);

// The "conaudio" dialog on the automation data of data lane lane (8..13); Transform item 8
// opens it from an audio lane of the main editor.
void OpenAutomationValueDialog(int32_t lane);
// Opened from a data lane of the main editor: the front window is the editor and its view
// mode is neither a note nor a drum mode.
bool IsOpenedFromDataLane();
// The "conmidi" target a data lane starts with: the pressure lane channel pressure, a
// controller lane its controller (modulation for controller 1); otherwise remembered.
uint8_t GetLaneStartTarget(int32_t lane, int32_t controller, uint8_t remembered);

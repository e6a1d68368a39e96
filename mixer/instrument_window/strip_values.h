// The values of the instrument strips: volume and pan (or the shown send's level and pan),
// mute, solo and the audible flag derived from them, and the strip selection. Each setter
// works on gCurrentInstrument, sends the new value to the instrument's output when asked and
// redraws the field it changed.
#pragma once

#include <cstdint>

// Instrument byte 6 and a send's flags byte.
constexpr uint8_t kInstOptionMute = 0x40;
constexpr uint8_t kInstOptionSolo = 0x80;
constexpr uint8_t kSendAudible = 0x10;
constexpr uint8_t kSendSolo = 0x20;
constexpr uint8_t kSendMute = 0x80;
// The string list of a send's placement texts (post-fader, pre-fader).
constexpr int16_t kSendPlacementList = 168;

// Flags of SetCurrentVolumeValue.
constexpr int32_t kStripValueSend = 1;
constexpr int32_t kStripValueRedraw = 2;

bool IsMasterStrip(int32_t index);
bool IsAuxBusStrip(int32_t index);
// The send shown (0..7), or -1 while the strips show their own values; an aux bus or the
// master always shows its own.
int32_t ShownSendOf(int32_t index);

// The current strip's volume or shown send level, and its pan or shown send pan.
int32_t GetCurrentStripVolume();
int32_t GetCurrentStripPan();
// Stores the pan (clamped to 0..127) of the current strip or of its shown send, sends it to
// output part 0 when send is set and redraws the value and the knob when redraw is set.
void SetCurrentPanValue(int32_t value, bool send, bool redraw);
// Stores the volume (or the shown send's level); flags as above.
void SetCurrentVolumeValue(int32_t value, int32_t flags);
// Moves the current strip's volume to value and every strip of its link chain with it: by
// the same difference (negated where the alternate bit differs), or to the same value where
// the strip takes the linked value itself.
void SetLinkedStripVolume(int32_t value);

bool IsStripMuted(int32_t index);
bool IsStripSoloed(int32_t index);
bool IsStripAudible(int32_t index);
bool IsAnyStripSoloed();
// Toggles mute (while another strip is soloed: solo) or solo of the current strip, then
// recomputes the audible flags and sends the level of every strip whose flag changed.
void ToggleCurrentStripMute();
void ToggleCurrentStripSolo();
void ClearAllStripSolos();
// The audible flags from mute and solo: while any strip is soloed exactly the soloed ones,
// otherwise the ones not muted. The level of each strip whose flag changed is sent.
void RecomputeAudibleFlags();

bool IsStripSelected(int32_t index);
void SetStripSelected(int32_t index, bool selected);
// Deselects every strip but keep (-1: all).
void DeselectOtherStrips(int32_t keep);
// Shift-drag of a fader: adds the difference to the volume of every selected strip, each
// clamped by its own setter.
void MoveSelectedStripVolumes(int32_t difference);

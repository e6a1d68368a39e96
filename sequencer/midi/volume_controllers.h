// Volume and pan controllers that played events and the conductor send to instruments: a
// controller that reaches an instrument through the controller lookup tables drives that
// instrument's mixer volume or pan instead of going out unchanged, controller 7 goes out
// scaled by the master level, and the conductor's master-volume records re-send the volumes
// of the instruments that changed.
//
// Runs on the clock task (played events, conductor records) and the main thread (chase);
// never allocates.
#pragma once

#include <cstdint>

// Non-zero: controllers of played events drive the instruments' mixer settings.
extern uint8_t gControllersDriveMixer;

// A control change on its way to (device kind, port): answers false when it must not be sent;
// else the value to send is in *value (controller 7 scaled by the master level, clamped).
bool MapVolumeController(uint8_t deviceKind, uint8_t port, uint8_t status, uint8_t controller,
                         uint8_t* value);
// Marks an instrument's volume as changed (the next resend sends it).
void MarkInstrumentVolumeChanged(int32_t instrument);
bool IsInstrumentVolumeChanged(int32_t instrument);
// With resend: controller 7 (the instrument's volume, master-scaled) on part 0 of every
// instrument in use that is marked changed, is on a MIDI output and carries its volume on
// controller 7; the marks are cleared. Answers the number sent.
int32_t ResendInstrumentVolumes(bool resend);
// The conductor's master volume: when it differs from the master entry's, sets it (and the
// master level MIDI volumes are scaled by), marks every instrument changed and re-sends.
void ApplyConductorVolume(int32_t volume, int32_t resend);
extern int32_t gConductorVolume;  // the last volume applied (-1 none)
// The conductor-volume option: the master-volume records of the conductor map drive the
// master volume while bits 0 and 2 read kConductorVolumeOn; any other value leaves them
// unapplied. On unless a setting turns it off.
extern uint8_t gConductorVolumeOptions;
constexpr uint8_t kConductorVolumeOptionMask = 0x05;
constexpr uint8_t kConductorVolumeOn = 0x01;
// Left and right gains of gain g at pan p (0..127, 64 centre).
void PanGains(int32_t gain, int32_t pan, int32_t* left, int32_t* right);

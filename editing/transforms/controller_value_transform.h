// The controller, channel-pressure and pitch-bend value transform: set a value, add an amount,
// scale by a percentage or draw a ramp over the time selection.
#pragma once

#include <cstdint>

enum ValueOperation : uint8_t {
  kValueSet = 0,
  kValueAdd = 1,
  kValuePercent = 2,
  kValueRamp = 3,
};

// The targets of the MIDI controller dialog (low two bits of gControllerTarget).
enum ControllerTarget : uint8_t {
  kTargetModulation = 0,
  kTargetChannelPressure = 1,
  kTargetControllerN = 2,
};

// The kind of events an edit works on, derived when it starts.
enum ValueRunKind : uint8_t {
  kRunController = 0,
  kRunChannelPressure = 1,
  kRunPitchBend = 2,
};

extern uint8_t gValueOperation;    // 0; shared by the controller, pitch-bend and automation dialogs
extern uint8_t gControllerTarget;  // 0

constexpr uint32_t kNoValueInForce = 0x80000000u;

// The state of one value edit while it is applied (memory only).
struct ControllerEditState {
  int32_t bendRangeCents;  // pitch-bend range in semitones x 100
  float addAmount;
  float rampStart;
  float rampEnd;
  float setValue;
  float percent;
  uint32_t valueInForce;   // kNoValueInForce: none
  uint8_t fromDataLane;    // opened from a data lane of the main editor
  uint8_t runKind;
  uint8_t sineRamp;        // the option key was held: a sine wave instead of the ramp
  uint8_t runController;   // the controller number of kRunController
};

extern ControllerEditState gControllerEditState;

// Cents to a 14-bit bend value and back, for a range of rangeCents (> 0).
int32_t CentsToBendValue(int32_t cents, int32_t rangeCents);
int32_t BendValueToCents(int32_t bend, int32_t rangeCents);
// Writes value (cents for pitch bend, else 0..127 clamped) into the data bytes of event.
void StoreRunValue(uint8_t* event, int32_t value);
// The value of event in the units of the run (cents for pitch bend).
int32_t ReadRunValue(const uint8_t* event);
// True for an event of the run kind (a controller only with the run's number).
bool IsRunEvent(const uint8_t* event);

// The per-track step of gValueOperation over the run kind of gControllerEditState.
int32_t ControllerValueTrackStep(void* arg);
// An edit in the main editor (contexts 0 and 4) with an instrument or plug-in pane current.
bool IsInstrumentPaneEdit();
// One undoable step of undoKind over the tracks of the edit scope; the controller values
// (kind 20) with an instrument or plug-in pane current once on that pane's track instead.
int32_t ApplyControllerValueEdit(int32_t undoKind);

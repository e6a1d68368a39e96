// MIDI driver procedures: the routines that take a MIDI record for one output device kind.
//
// Records keep a driver procedure as a 32-bit id (Instrument offset 180 + 4p, TrackEntry
// offset 208), never as an address; the id is resolved here when a record is sent.
//
// The MIDI port procedure is installed by the sequencer's MIDI driver at start-up;
// until the QuickTime Music, plug-in and ReWire outputs install theirs, sending to an id
// without a procedure does nothing.
#pragma once

#include <cstdint>

// A driver procedure takes the 6-byte record header plus the MIDI bytes, and a byte argument
// (the port).
using DriverProc = int32_t (*)(uint8_t* record, int32_t arg);
using DriverProcId = uint32_t;

enum : DriverProcId {
  kNoDriverProc = 0,
  kDefaultDriverProc = 1,      // every kind without a procedure of its own
  kQuickTimeMusicDriverProc = 2,  // device kind 5
  kMidiPortDriverProc = 3,     // device kind 18
  kPluginInstrumentDriverProc = 4,  // device kind 20
  kReWireDriverProc = 5,       // device kind 21
  kSyncOutputsDriverProc = 6,  // MIDI clock to the sync outputs
  kAudioDriverProcBase = 16,   // + audio driver id: the procedure an audio driver registers
  kDriverProcSlots = 64,
};

// The procedure installed for an id, or null.
DriverProc GetDriverProcById(DriverProcId id);
// Installs (or with null removes) the procedure for an id below kDriverProcSlots.
void SetDriverProcById(DriverProcId id, DriverProc proc);
// Calls the procedure with the record when the id names one; nothing otherwise.
int32_t InvokeSendCallback(DriverProcId proc, uint8_t* record, int32_t arg);

// The program-wide volume factor (4096 = unity) that ScaleVolumeForDevice applies.
extern int16_t gMidiVolumeFactor;
// The controller-7 value for a device: kinds 20 and 21 unchanged; otherwise 0 for factor 0,
// value for 4096, else (value x factor) >> 12 rounded toward zero. The caller clamps.
int32_t ScaleVolumeForDevice(int32_t value, uint8_t deviceKind);

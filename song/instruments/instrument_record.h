// The 256-byte Instrument record of the instrument table.
//
// Records are stored byte for byte in song documents and the outputs file, so the offsets
// are fixed and the fields big-endian. Handle words hold 32-bit handle ids; driver
// procedures are DriverProcIds resolved at run time. Both mean nothing on disk and are
// re-created when a table is loaded.
#pragma once

#include <cstdint>

#include "platform/memory/byte_order.h"
#include "platform/memory/mac_types.h"

constexpr int32_t kInstrumentSize = 256;
constexpr int32_t kMaxInstruments = 254;
constexpr int32_t kMaxAuxBuses = 8;
constexpr int32_t kInstrumentParts = 8;
constexpr int32_t kInstrumentSends = 8;
constexpr int32_t kInstrumentNameMax = 16;

constexpr int32_t kInstFlags = 0;             // u8, below
constexpr int32_t kInstPartMask = 1;          // u8 bit p: output part p in use
constexpr int32_t kInstBendRange = 2;         // u8 semitones 0..48
constexpr int32_t kInstVolumeController = 3;  // u8 controller carrying the volume
constexpr int32_t kInstFixedVolume = 4;       // u8 volume the controller last set (option 0x04)
constexpr int32_t kInstProgram = 5;           // i8 program 0..127, -1 none
constexpr int32_t kInstOptions = 6;           // u8, below
constexpr int32_t kInstName = 7;              // 17 bytes: length-prefixed, at most 16 chars
constexpr int32_t kInstChannels = 24;         // u8 x 8: MIDI channel of part p
constexpr int32_t kInstLinkPrevious = 32;     // u8 previous link member as index + 1
constexpr int32_t kInstLinkNext = 33;         // u8 next link member as index + 1
constexpr int32_t kInstPanAssignment = 34;    // handle: message sent for pan changes
constexpr int32_t kInstVolumeAssignment = 42; // handle: message sent for volume changes
constexpr int32_t kInstPluginDevice = 50;     // u32 second id of the plug-in device
constexpr int32_t kInstPorts = 66;            // u8 x 8: port of part p
constexpr int32_t kInstDeviceKinds = 74;      // u8 x 8: output device kind of part p
constexpr int32_t kInstVolume = 82;           // i16 0..127
constexpr int32_t kInstLinkGroup = 84;        // u8 link group 0 none, 1..31
constexpr int32_t kInstPanController = 85;    // u8 controller carrying the pan
constexpr int32_t kInstPan = 86;              // u8 0..127, 64 centre
constexpr int32_t kInstPanControlValue = 87;  // u8 last value of the pan controller, 0x80 valid
constexpr int32_t kInstMixerFlags = 88;       // u8 flags of the mixer
constexpr int32_t kInstTrackByte71 = 89;      // u8 copied into a track's byte 71
constexpr int32_t kInstPortValues = 90;       // u16 x 8: port-table value of part p
constexpr int32_t kInstMidiState = 106;       // u8 state of the MIDI output, below
constexpr int32_t kInstBank = 108;            // u32 bank select: MSB in bits 7..13, LSB 0..6
constexpr int32_t kInstMeterHold = 116;       // i32 run time
constexpr int32_t kInstMeterClip = 120;       // u8 run time
constexpr int32_t kInstBevelMask = 121;       // u8 dialog option mask: the reset options
constexpr int32_t kInstResetOptions = kInstBevelMask;
constexpr int32_t kInstMeterValues = 122;     // i16 x 3 run time
constexpr int32_t kInstSends = 128;           // 8 x {u16 level, u8 pan, u8 flags | bus}
constexpr int32_t kInstSendSize = 4;
constexpr int32_t kInstTakeProgram = 164;     // u32 program for tracks to take
constexpr int32_t kInstVolumeCurve = 168;     // u32 gain-curve value of the volume
constexpr int32_t kInstMeterLevel = 176;      // i16 run time
constexpr int32_t kInstDriverProcs = 180;     // u32 x 8: DriverProcId of part p, run time
constexpr int32_t kInstInsertRack = 244;      // handle: the entry's insert rack
constexpr int32_t kInstDisplayNumber = 252;   // u16 position among the numbered entries
constexpr int32_t kInstNoDisplayNumber = 254; // u8 non-zero: left out of the numbering

// Byte 0.
constexpr uint8_t kInstFlagActive = 0x01;
constexpr uint8_t kInstFlagAlternate = 0x02;
constexpr uint8_t kInstFlagAuxBus = 0x04;
constexpr uint8_t kInstFlagMarked = 0x10;
constexpr uint8_t kInstFlagMasterReady = 0x40;
constexpr uint8_t kInstFlagSelected = 0x80;
// Byte 6.
constexpr uint8_t kInstOptionCheckBox = 0x01;
constexpr uint8_t kInstOptionProgramsFromOne = 0x02;
constexpr uint8_t kInstOptionFixedVolume = 0x04;  // the volume is kInstFixedVolume
constexpr uint8_t kInstOptionSetupData = 0x20;    // takes part in set-up data and resets
constexpr uint8_t kInstOptionLinked = 0x10;
// Byte 106.
constexpr uint8_t kInstStateResendVolume = 0x01;
constexpr uint8_t kInstStateResendPan = 0x02;
constexpr uint8_t kInstStateNoInitialVolume = 0x08;
constexpr uint8_t kInstStateBankLsb = 0x20;
constexpr uint8_t kInstStateBankMsb = 0x40;
constexpr uint8_t kInstStateProgramSent = 0x80;
// Byte 121 (the reset options).
constexpr uint8_t kResetPressure = 0x01;
constexpr uint8_t kResetPitchBend = 0x02;
constexpr uint8_t kResetController1 = 0x04;
constexpr uint8_t kResetController2 = 0x08;
constexpr uint8_t kResetOptionsSet = 0x80;
constexpr uint8_t kResetOptionsDefault = 0x83;
// Send flag byte.
constexpr uint8_t kSendOn = 0x10;
constexpr uint8_t kSendPostFader = 0x40;
constexpr uint8_t kSendNewFlags = 0x50;

// Output device kinds the table treats specially.
constexpr uint8_t kDeviceKindQuickTimeMusic = 5;
constexpr uint8_t kDeviceKindNoOutput = 11;
constexpr uint8_t kDeviceKindMidiPort = 18;
constexpr uint8_t kDeviceKindAudio = 19;
constexpr uint8_t kDeviceKindPlugin = 20;
constexpr uint8_t kDeviceKindReWire = 21;
constexpr uint8_t kMidiDeviceKinds = 25;  // kinds below this use the controller lookup

// A typed view of one record; it lives only while the table cannot move.
struct InstrumentView : RecordView {
  using RecordView::RecordView;
  uint8_t Flags() const { return U8(kInstFlags); }
  void SetFlags(uint8_t f) { SetU8(kInstFlags, f); }
  bool HasFlag(uint8_t f) const { return (Flags() & f) != 0; }
  uint8_t PartMask() const { return U8(kInstPartMask); }
  void SetPartMask(uint8_t m) { SetU8(kInstPartMask, m); }
  uint8_t BendRange() const { return U8(kInstBendRange); }
  uint8_t VolumeController() const { return U8(kInstVolumeController); }
  int8_t Program() const { return I8(kInstProgram); }
  uint8_t Options() const { return U8(kInstOptions); }
  void SetOptions(uint8_t v) { SetU8(kInstOptions, v); }
  StringPtr Name() const { return bytes() + kInstName; }
  uint8_t Channel(int p) const { return U8(kInstChannels + p); }
  void SetChannel(int p, uint8_t c) { SetU8(kInstChannels + p, c); }
  uint8_t LinkPrevious() const { return U8(kInstLinkPrevious); }
  void SetLinkPrevious(uint8_t v) { SetU8(kInstLinkPrevious, v); }
  uint8_t LinkNext() const { return U8(kInstLinkNext); }
  void SetLinkNext(uint8_t v) { SetU8(kInstLinkNext, v); }
  uint32_t PluginDevice() const { return U32(kInstPluginDevice); }
  uint8_t Port(int p) const { return U8(kInstPorts + p); }
  void SetPort(int p, uint8_t v) { SetU8(kInstPorts + p, v); }
  uint8_t DeviceKind(int p) const { return U8(kInstDeviceKinds + p); }
  void SetDeviceKind(int p, uint8_t v) { SetU8(kInstDeviceKinds + p, v); }
  int16_t Volume() const { return I16(kInstVolume); }
  uint8_t LinkGroup() const { return U8(kInstLinkGroup); }
  uint8_t PanController() const { return U8(kInstPanController); }
  uint8_t Pan() const { return U8(kInstPan); }
  uint16_t PortValue(int p) const { return U16(kInstPortValues + 2 * p); }
  uint16_t SendLevel(int s) const { return U16(kInstSends + kInstSendSize * s); }
  uint8_t SendPan(int s) const { return U8(kInstSends + kInstSendSize * s + 2); }
  uint8_t SendFlags(int s) const { return U8(kInstSends + kInstSendSize * s + 3); }
  void SetSendFlags(int s, uint8_t v) { SetU8(kInstSends + kInstSendSize * s + 3, v); }
  uint32_t DriverProc(int p) const { return U32(kInstDriverProcs + 4 * p); }
  void SetDriverProc(int p, uint32_t id) { SetU32(kInstDriverProcs + 4 * p, id); }
  Handle InsertRack() const { return Handle(U32(kInstInsertRack)); }
  void SetInsertRack(Handle h) { SetU32(kInstInsertRack, h.id); }
  Handle PanAssignment() const { return Handle(U32(kInstPanAssignment)); }
  Handle VolumeAssignment() const { return Handle(U32(kInstVolumeAssignment)); }
  uint16_t DisplayNumber() const { return U16(kInstDisplayNumber); }
  void SetDisplayNumber(uint16_t n) { SetU16(kInstDisplayNumber, n); }
  uint8_t NoDisplayNumber() const { return U8(kInstNoDisplayNumber); }
};

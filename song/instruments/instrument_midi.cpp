// Sending MIDI to the instruments of the table.
#include "platform/memory/byte_order.h"
#include "platform/system/host_time.h"
#include "shell/base/busy_cursor.h"
#include "song/instruments/driver_procs.h"
#include "song/instruments/instrument_midi_options.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/midi_hooks.h"
#include "song/instruments/output_kinds.h"
#include "song/instruments/processor_chain_hooks.h"

uint16_t gMidiOutputOptions = 0;
uint8_t gQuickTimeMusicInUse = 0;

namespace {

constexpr uint8_t kMidiRecordMarker = 0x80;
constexpr int32_t kControllerRecord = 9;

uint8_t ClampMidi(int32_t v) { return uint8_t(v < 0 ? 0 : (v > 127 ? 127 : v)); }

void SendNoteOffs(int32_t channel) {
  uint8_t record[kMidiRecordHeader + 3];
  for (int32_t note = 0; note < 128; ++note) {
    record[kMidiRecordHeader] = uint8_t(0x80 | channel);
    record[kMidiRecordHeader + 1] = uint8_t(note);
    record[kMidiRecordHeader + 2] = 0;
    record[0] = kMidiRecordMarker;
    record[1] = kMidiRecordHeader + 3;
    WriteU32BE(record + 2, 0);
    BroadcastMidiMessage(record);
    if (note & 1) {
      Delay(1, nullptr);
      SpinBusyCursorIfDue();
    }
  }
}

}  // namespace

void SendMidiRecord(uint8_t* record, int32_t length, uint32_t proc, int32_t arg) {
  if (proc == kNoDriverProc || !record) return;
  record[0] = kMidiRecordMarker;
  record[1] = uint8_t(length + kMidiRecordHeader);
  WriteU32BE(record + 2, 0);
  InvokeSendCallback(proc, record, arg & 0xFF);
}

void SendToInstrument(uint8_t* record, int32_t instrument, int32_t length) {
  if (instrument < 0 || instrument >= gInstrumentCount) return;
  InstrumentView view(GetInstrumentRecord(instrument));
  record[kMidiRecordHeader] = uint8_t(record[kMidiRecordHeader] | (view.Channel(0) & 15));
  uint32_t proc = (view.PartMask() & 1) ? view.DriverProc(0) : 0;
  SendMidiRecord(record, length, proc, view.Port(0));
}

void SendInstrumentController(int32_t instrument, int32_t value, uint8_t controller) {
  const uint8_t* entry = GetInstrumentRecord(instrument);
  if (!entry || instrument >= gInstrumentCount) return;
  if (controller == 7) value = ScaleVolumeForDevice(value, entry[kInstDeviceKinds]);
  uint8_t record[kMidiRecordHeader + 3];
  record[kMidiRecordHeader] = 0xB0;
  record[kMidiRecordHeader + 1] = controller & 127;
  record[kMidiRecordHeader + 2] = ClampMidi(value);
  SendToInstrument(record, instrument, 3);
}

void BroadcastMidiMessage(uint8_t* record) {
  SendToThruPorts(record, 0);
  if (gQuickTimeMusicInUse) InvokeSendCallback(GetDriverProcForKind(kDeviceKindQuickTimeMusic), record, 0);
  InvokeSendCallback(GetDriverProcForKind(kDeviceKindPlugin), record, 0);
}

void SendControllerAllChannels(uint8_t controller, uint8_t value) {
  uint8_t record[kControllerRecord];
  for (int32_t channel = 0; channel < 16; ++channel) {
    record[0] = kMidiRecordMarker;
    record[1] = kControllerRecord;
    WriteU32BE(record + 2, 0);
    record[6] = uint8_t(0xB0 | channel);
    record[7] = controller;
    record[8] = value;
    BroadcastMidiMessage(record);
  }
}

void SendAllNotesOff() {
  if (!(gMidiOutputOptions & kSingleNoteOffsOption)) {
    SendControllerAllChannels(123, 0);
  } else {
    for (int32_t channel = 0; channel < 16; ++channel) SendNoteOffs(channel);
  }
  ResetRealtimeProcessorStates();
  FlushPendingNoteOffs();
  RestoreArrowCursor();
}

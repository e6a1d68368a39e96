#include "sequencer/midi/instrument_resets.h"

#include <algorithm>

#include "platform/memory/memory.h"
#include "platform/memory/byte_order.h"
#include "sequencer/midi/midi_chase.h"
#include "song/events/seq_event.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/instrument_volumes.h"

namespace {

// The record of the instrument of a walk (ForEachInstrument stores it in the block).
uint8_t* WalkRecord(void* block) {
  uint8_t* record = nullptr;
  std::copy_n(static_cast<const uint8_t*>(block), sizeof record, reinterpret_cast<uint8_t*>(&record));
  return record && (record[kInstOptions] & kInstOptionSetupData) ? record : nullptr;
}

void SendToCurrent(uint8_t status, uint8_t data1, uint8_t data2, int32_t length) {
  uint8_t message[kMidiRecordHeader + 3] = {};
  message[kMidiRecordHeader] = status;
  message[kMidiRecordHeader + 1] = data1;
  message[kMidiRecordHeader + 2] = data2;
  SendToInstrument(message, gCurrentInstrument, length);
}

int32_t ResetPressure(void* block) {
  uint8_t* record = WalkRecord(block);
  if (!record) return 0;
  if (!(record[kInstResetOptions] & kResetOptionsSet)) record[kInstResetOptions] = kResetOptionsDefault;
  if (record[kInstResetOptions] & kResetPressure) SendToCurrent(0xD0, 0, 0, 2);
  return 0;
}

int32_t CentrePitchBend(void* block) {
  uint8_t* record = WalkRecord(block);
  if (record && (record[kInstResetOptions] & kResetPitchBend)) SendToCurrent(0xE0, 0x00, 0x40, 3);
  return 0;
}

int32_t ZeroControllers(void* block) {
  uint8_t* record = WalkRecord(block);
  if (!record) return 0;
  if (record[kInstResetOptions] & kResetController1) SendToCurrent(0xB0, 1, 0, 3);
  if (record[kInstResetOptions] & kResetController2) SendToCurrent(0xB0, 2, 0, 3);
  return 0;
}

int32_t ResendSettings(void* block) {
  uint8_t* record = WalkRecord(block);
  if (!record) return 0;
  if (record[kInstMidiState] & kInstStateResendVolume)
    SendInstrumentController(gCurrentInstrument, GetInstrumentVolume(record), record[kInstVolumeController]);
  if (record[kInstMidiState] & kInstStateResendPan)
    SendInstrumentController(gCurrentInstrument, record[kInstPan], record[kInstPanController]);
  return 0;
}

bool TakesInitialVolume(const uint8_t* record) {
  uint8_t kind = record[kInstDeviceKinds];
  return kind != kDeviceKindPlugin && kind != kDeviceKindReWire &&
         (record[kInstOptions] & kInstOptionSetupData) &&
         !(record[kInstMidiState] & kInstStateNoInitialVolume) && record[kInstVolumeController] == 7;
}

}  // namespace

void ResetAllInstruments() {
  uint8_t* block = nullptr;
  for (InstrumentBlockProc proc : {ResetPressure, CentrePitchBend, ZeroControllers, ResendSettings})
    ForEachInstrument(proc, &block);
}

void SendInitialVolumes(uint32_t time) {
  gChaseEnd = kSetupEntrySent;
  Handle list = NewHandleClear(kShortEventSize + kEndRecordSize);
  if (!list) return;
  for (int32_t i = 0; i < gInstrumentCount; ++i) {
    const uint8_t* record = GetInstrumentRecord(i);
    if (!record || !TakesInitialVolume(record)) continue;
    int32_t volume = (record[kInstOptions] & kInstOptionFixedVolume) ? record[kInstFixedVolume]
                                                                      : GetInstrumentVolume(record);
    FillShortEvent(reinterpret_cast<uint8_t*>(*list), time, uint8_t(0xB0 | (record[kInstChannels] & 0x0F)), 7,
                   uint8_t(std::clamp(volume, 0, 127)));
    ChaseOutput(list, 0, time, ReadU32BE(record + kInstDriverProcs), record[kInstDeviceKinds],
                record[kInstPorts], true, nullptr, -1, 0, kChaseForced);
  }
  DisposeHandle(list);
}

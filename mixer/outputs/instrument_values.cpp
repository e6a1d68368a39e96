#include "mixer/outputs/instrument_values.h"

#include <vector>

#include "audio/engine/engine_state.h"
#include "mixer/outputs/engine_strip_levels.h"
#include "mixer/outputs/value_moves.h"
#include "mixer/outputs/value_templates.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/threads/thread_pauses.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/clock/sysex_sender.h"
#include "sequencer/midi/midi_short_messages.h"
#include "shell/drawing/row_metrics.h"
#include "song/instruments/driver_procs.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/instrument_volumes.h"

uint8_t gInstrumentWindowPart = 0;
uint8_t gInstrumentWindowOptions = 0;

namespace {

constexpr int32_t kInstSendPan = 2;
constexpr int32_t kInstSendFlags = 3;
constexpr uint8_t kSendAudible = 0x10;

uint8_t* ShownSendSlot(uint8_t* record) {
  return record + kInstSends + kInstSendSize * (gInstrumentWindowPart - 1);
}

bool IsBusOrMaster(const uint8_t* record) {
  return (record[kInstFlags] & kInstFlagAuxBus) || record == GetMasterEntry();
}

int16_t SendThroughTemplate(uint8_t* record, Handle templ, int32_t value) {
  if (!(record[kInstPartMask] & 1)) return noErr;
  std::vector<uint8_t> copy(size_t(GetHandleSize(templ)));
  int32_t n = FillValueTemplate(templ, value, record[kInstChannels], copy.data(), int32_t(copy.size()));
  if (n <= 0) return kBadTemplateErr;
  SendSysExChunked(copy.data(), uint32_t(n), ReadU32BE(record + kInstDriverProcs), record[kInstPorts]);
  return noErr;
}

void SendControlChange(const uint8_t* record, uint8_t controller, int32_t value) {
  if (controller == kMainVolumeController) value = ClampMidiByte(ScaleVolumeForDevice(value, record[kInstDeviceKinds]));
  SendShortMessage(ReadU32BE(record + kInstDriverProcs), record[kInstPorts],
                   uint8_t(0xB0 | (record[kInstChannels] & 0x0F)), controller & 0x7F, uint8_t(ClampMidiByte(value)));
}

}  // namespace

int32_t GetStripIndex(const uint8_t* record) {
  const uint8_t* first = GetInstrumentRecord(0);
  if (!first || !record || record < first) return -1;
  size_t offset = size_t(record - first);
  int32_t index = int32_t(offset / kInstrumentSize);
  return offset % kInstrumentSize == 0 && GetInstrumentRecord(index) == record ? index : -1;
}

uint8_t* CurrentInstrumentRecord() {
  if (gCurrentInstrument < 0 || gCurrentInstrument > gInstrumentCount + gAuxBusCount) return nullptr;
  return GetInstrumentRecord(gCurrentInstrument);
}

// Only sends 1..8 exist: a larger part would reach past the send slots.
bool IsSendShown() {
  return gInstrumentWindowPart >= 1 && gInstrumentWindowPart <= kInstrumentSends && gCurrentInstrument >= 0 &&
         gCurrentInstrument < gInstrumentCount;
}

uint8_t* CurrentInstrumentSlotPtr() {
  uint8_t* record = CurrentInstrumentRecord();
  if (!record) return nullptr;
  return IsSendShown() ? ShownSendSlot(record) + kInstSendPan : record + kInstPan;
}

int32_t CurrentInstrumentSlotValue() {
  uint8_t* record = CurrentInstrumentRecord();
  if (!record) return 0;
  return IsSendShown() ? ReadU16BE(ShownSendSlot(record)) : GetInstrumentVolume(record);
}

int32_t SetCurrentInstrumentSlotValue(int32_t value) {
  uint8_t* record = CurrentInstrumentRecord();
  if (!record) return 0;
  if (!IsSendShown()) return SetInstrumentVolume(record, value);
  WriteU16BE(ShownSendSlot(record), uint16_t(ClampMidiByte(value)));
  return ClampMidiByte(value);
}

int32_t SetCurrentInstrumentSlotPan(int32_t value) {
  uint8_t* pan = CurrentInstrumentSlotPtr();
  if (!pan) return 0;
  *pan = uint8_t(ClampMidiByte(value));
  return *pan;
}

int32_t GetCurrentInstrumentLevel(bool audibleOnly) {
  uint8_t* record = CurrentInstrumentRecord();
  if (!record) return 0;
  bool audible = record[kInstFlags] & kInstFlagActive;
  if (audibleOnly) {
    if (IsSendShown()) return (ShownSendSlot(record)[kInstSendFlags] & kSendAudible) ? CurrentInstrumentSlotValue() : 0;
    if (!audible) return 0;
    int32_t v = GetInstrumentVolume(record);
    return record[kInstVolumeController] == kMainVolumeController ? ClampMidiByte(v) : v;
  }
  int32_t v = GetInstrumentVolume(record);
  uint8_t controller = IsBusOrMaster(record) ? kMainVolumeController : record[kInstVolumeController];
  if (controller != kMainVolumeController) return v;
  return audible ? ClampMidiByte(v) : 0;
}

uint8_t GetInstrumentDevice(const uint8_t* record) {
  if (!record) return 0;
  if (IsBusOrMaster(record)) return kDeviceKindAudio;
  uint8_t kind = record[kInstDeviceKinds];
  return kind == kDeviceKindAudio || kind == kDeviceKindPlugin || kind == kDeviceKindReWire ? kind : 0;
}

int16_t SendInstrumentValue(uint8_t* record, uint8_t templateBit, int32_t templateField,
                            int32_t controllerField, int32_t value, int32_t mode) {
  if (!record) return noErr;
  Handle templ(ReadU32BE(record + templateField));
  const bool throughTemplate = (record[kInstMixerFlags] & templateBit) && templ;
  // A template value goes out through output part 0 alone: with that part off, nothing is
  // sent and nothing recorded.
  if (throughTemplate && !(record[kInstPartMask] & 1)) return noErr;
  int16_t err = noErr;
  if (mode != kValueSendOnly && AreValueMovesRecorded())
    err = RecordValueMove(record, templateBit, templateField, controllerField, value);
  if (throughTemplate) {
    int16_t sent = SendThroughTemplate(record, templ, value);
    return err != noErr ? err : sent;
  }
  if (!GetInstrumentDevice(record)) SendControlChange(record, record[controllerField], value);
  else ApplyStripLevelsToEngine(GetStripIndex(record));
  return err;
}

int16_t SendCurrentVolume(int32_t mode) {
  return SendInstrumentValue(CurrentInstrumentRecord(), kVolumeThroughTemplate, kInstVolumeAssignment,
                             kInstVolumeController, GetCurrentInstrumentLevel(true), mode);
}

int16_t SendCurrentPan(int32_t mode) {
  uint8_t* pan = CurrentInstrumentSlotPtr();
  if (!pan) return noErr;
  return SendInstrumentValue(CurrentInstrumentRecord(), kPanThroughTemplate, kInstPanAssignment,
                             kInstPanController, *pan, mode);
}

namespace {

// Runs set and send on strip index's own values, with the window's shown part and current
// strip kept.
void OnStripOwnValues(int32_t index, int32_t value, int32_t (*set)(int32_t), int16_t (*send)(int32_t)) {
  if (!GetInstrumentRecord(index)) return;
  int32_t kept = gCurrentInstrument;
  uint8_t keptPart = gInstrumentWindowPart;
  gCurrentInstrument = index;
  gInstrumentWindowPart = 0;
  set(value);
  send(kValueSendAndRecord);
  gCurrentInstrument = kept;
  gInstrumentWindowPart = keptPart;
}

}  // namespace

void SetStripVolumeAndSend(int32_t index, int32_t volume) {
  OnStripOwnValues(index, volume, SetCurrentInstrumentSlotValue, SendCurrentVolume);
}

void SetStripPanAndSend(int32_t index, int32_t pan) {
  OnStripOwnValues(index, pan, SetCurrentInstrumentSlotPan, SendCurrentPan);
}

void SendProgramChange(uint8_t* record, int32_t chosen) {
  if (!record) return;
  int32_t program = ClampMidiByte((record[kInstOptions] & kInstOptionProgramsFromOne) ? chosen - 1 : chosen);
  record[kInstProgram] = uint8_t(program);
  record[kInstTrackByte71] = uint8_t(program);
  SendTwoByteMessage(ReadU32BE(record + kInstDriverProcs), record[kInstPorts],
                     uint8_t(0xC0 | (record[kInstChannels] & 0x0F)), uint8_t(program));
}

void SetMasterVolumeFromWindow(int32_t volume) {
  SetMasterVolume(volume);
  gMasterLevel = gMasterCurveGain;
  gMidiVolumeFactor = int16_t(gMasterGain);
  ResendAllInstrumentValues();
}

void ResendAllInstrumentValues() {
  int32_t kept = gCurrentInstrument;
  uint8_t keptPart = gInstrumentWindowPart;
  gInstrumentWindowPart = 0;
  bool playing = IsClockTaskPlaying();
  int32_t withoutChannel = 0;
  for (int32_t i = 0; i < gInstrumentCount; ++i) {
    uint8_t* record = GetInstrumentRecord(i);
    uint8_t kind = record ? record[kInstDeviceKinds] : 0;
    if (!record || kind == kDeviceKindPlugin || kind == kDeviceKindReWire) continue;
    gCurrentInstrument = i;
    SendCurrentVolume(kValueSendOnly);
    SendCurrentPan(kValueSendOnly);
    if (playing && !StripHasEngineChannel(i) && ++withoutChannel % 8 == 0) PauseThreadMicros(1000);
  }
  gCurrentInstrument = kept;
  gInstrumentWindowPart = keptPart;
}

int32_t ReturnZero() { return 0; }

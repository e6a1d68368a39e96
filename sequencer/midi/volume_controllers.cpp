#include "sequencer/midi/volume_controllers.h"

#include "platform/memory/byte_order.h"
#include "sequencer/clock/note_off_queue.h"
#include "sequencer/midi/midi_short_messages.h"
#include "song/instruments/driver_procs.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/instrument_volumes.h"

uint8_t gControllersDriveMixer = 1;
int32_t gConductorVolume = -1;
uint8_t gConductorVolumeOptions = kConductorVolumeOn;

namespace {

constexpr uint8_t kVolumeController = 7;
uint32_t gChanged[(kMaxInstruments + 31) / 32] = {};

bool OnPluginOutput(const uint8_t* record) {
  uint8_t kind = record[kInstDeviceKinds];
  return kind == kDeviceKindPlugin || kind == kDeviceKindReWire;
}

uint8_t Clamp7(int32_t v) { return uint8_t(v < 0 ? 0 : v > 127 ? 127 : v); }

}  // namespace

bool MapVolumeController(uint8_t deviceKind, uint8_t port, uint8_t status, uint8_t controller,
                         uint8_t* value) {
  int32_t index = LookupControllerInstrument(deviceKind, controller, port, status & 0x0F);
  if (index >= 0) {
    uint8_t* record = GetInstrumentRecord(index);
    if (!record || !(record[kInstFlags] & kInstFlagActive) || !gControllersDriveMixer) return false;
    if (controller == record[kInstVolumeController]) {
      SetInstrumentVolume(record, *value);
      MarkInstrumentVolumeChanged(index);
    } else if (controller == record[kInstPanController]) {
      record[kInstPan] = *value;
    }
  }
  if (controller == kVolumeController) *value = Clamp7(ScaleVolumeByMaster(*value, deviceKind));
  return true;
}

void MarkInstrumentVolumeChanged(int32_t instrument) {
  if (instrument >= 0 && instrument < kMaxInstruments) gChanged[instrument / 32] |= 1u << (instrument % 32);
}

bool IsInstrumentVolumeChanged(int32_t instrument) {
  return instrument >= 0 && instrument < kMaxInstruments && (gChanged[instrument / 32] >> (instrument % 32) & 1);
}

int32_t ResendInstrumentVolumes(bool resend) {
  int32_t sent = 0;
  for (int32_t i = 0; i < gInstrumentCount && i < kMaxInstruments; ++i) {
    uint8_t* record = GetInstrumentRecord(i);
    if (!record || !IsInstrumentVolumeChanged(i)) continue;
    gChanged[i / 32] &= ~(1u << (i % 32));
    if (!resend || !(record[kInstFlags] & kInstFlagActive) || !(record[kInstPartMask] & 1)) continue;
    if (OnPluginOutput(record) || record[kInstVolumeController] != kVolumeController) continue;
    uint8_t kind = record[kInstDeviceKinds];
    uint8_t value = Clamp7(ScaleVolumeByMaster(GetInstrumentVolume(record), kind));
    SendShortMessage(ReadU32BE(record + kInstDriverProcs), record[kInstPorts],
                     uint8_t(0xB0 | (record[kInstChannels] & 0x0F)), kVolumeController, value);
    ++sent;
  }
  return sent;
}

void ApplyConductorVolume(int32_t volume, int32_t resend) {
  gConductorVolume = volume;
  const uint8_t* master = GetMasterEntry();
  if (master && GetInstrumentVolume(master) == Clamp7(volume)) return;
  SetMasterVolume(Clamp7(volume));
  gMidiVolumeFactor = int16_t(gMasterGain);
  for (int32_t i = 0; i < gInstrumentCount && i < kMaxInstruments; ++i) MarkInstrumentVolumeChanged(i);
  ResendInstrumentVolumes(resend != 0);
}

void PanGains(int32_t gain, int32_t pan, int32_t* left, int32_t* right) {
  if (pan > 64) {
    *left = (gain * (127 - pan) + 31) / 63;
    *right = gain;
  } else {
    *left = gain;
    *right = (gain * pan + 32) / 64;
  }
}

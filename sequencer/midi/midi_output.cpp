#include "sequencer/midi/midi_output.h"

#include "platform/coremidi/midi_packets.h"
#include "platform/coremidi/midi_services.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/threads/nested_locks.h"
#include "platform/timing/time_manager.h"
#include "sequencer/clock/note_off_queue.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/midi/instrument_routing.h"
#include "sequencer/midi/midi_port_layout.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/midi_port_table.h"

MIDIPortRef gMidiOutputPort = 0;

namespace {

// Nested: the holding thread may send again.
NestedLock gOutputLock;

}  // namespace

MIDITimeStamp MidiSendStamp() {
  UInt64 lead = MIDIGetSendLeadNanos();
  if (lead == 0 || TimeManagerClockIsManual()) return 0;
  return ClockDueNanos() + lead;
}

void BuildMidiMessage(MidiMessage* m, uint8_t status, uint8_t data1, uint8_t data2, uint8_t origin) {
  m->flag = 0;
  m->zero = 0;
  m->origin = origin;
  m->bytes[0] = status;
  m->bytes[1] = data1;
  m->bytes[2] = data2;
  int32_t n = 3;
  if (status >= 0xF8 || data1 >= 0x80) n = 1;
  else if (data2 >= 0x80 || IsOneDataByteStatus(status)) n = 2;
  m->length = uint8_t(kMidiMessageHeader + n);
}

bool LockMidiOutput() { return AcquireNestedLock(&gOutputLock, kMidiOutputLockMicros); }

void UnlockMidiOutput() { ReleaseNestedLock(&gOutputLock); }

OSStatus MidiSendPacket(const uint8_t* record, MIDIEndpointRef destination) {
  if (!record || !destination || !gMidiOutputPort) return kMIDIUnknownEndpoint;
  int32_t n = record[1] > kMidiMessageHeader ? record[1] - kMidiMessageHeader : 0;
  if (n == 0) return noErr;
  alignas(8) Byte buffer[MIDIPacketListSizeFor(kMidiMessageMaxBytes + 7)];
  MIDIPacketList* list = reinterpret_cast<MIDIPacketList*>(buffer);
  MIDIPacket* packet = MIDIPacketListInit(list);
  if (!MIDIPacketListAdd(list, sizeof buffer, packet, MidiSendStamp(), ByteCount(n), record + kMidiMessageHeader))
    return kMIDIMessageSendErr;
  if (!LockMidiOutput()) return kMIDIMessageSendErr;
  OSStatus status = MIDISend(gMidiOutputPort, destination, list);
  UnlockMidiOutput();
  return status;
}

OSStatus SendToPortIndex(const uint8_t* record, int32_t n) {
  if (!gPortTable || n < 0 || n >= gPortCount) return kMIDIUnknownEndpoint;
  if ((n + 1) * kPortEntrySize > GetHandleSize(gPortTable)) return kMIDIUnknownEndpoint;
  uint8_t* entry = reinterpret_cast<uint8_t*>(*gPortTable) + n * kPortEntrySize;
  MIDIEndpointRef destination = ReadU32BE(entry + kPortEndpoint);
  if (!destination) return kMIDIUnknownEndpoint;
  entry[kPortFlags] |= kPortFlagUsed;
  return MidiSendPacket(record, destination);
}

int32_t SendRecordToThruPorts(uint8_t* record, int32_t onlyUsed) {
  if (!record || record[1] <= kMidiMessageHeader || !gPortTable) return 0;
  uint8_t status = record[kMidiMessageHeader];
  bool channel = status >= 0x80 && status < 0xF0;
  for (int32_t n = 0; n < gPortCount && (n + 1) * kPortEntrySize <= GetHandleSize(gPortTable); ++n) {
    const uint8_t* entry = reinterpret_cast<const uint8_t*>(*gPortTable) + n * kPortEntrySize;
    uint16_t mask = ReadU16BE(entry + kPortChannelMask);
    if (channel && !(mask & (1u << (status & 0x0F)))) continue;
    if (onlyUsed && !(entry[kPortFlags] & kPortFlagUsed)) continue;
    MIDIEndpointRef destination = ReadU32BE(entry + kPortEndpoint);
    if (destination) MidiSendPacket(record, destination);
  }
  return 0;
}

int32_t MidiPortDriverProc(uint8_t* record, int32_t port) {
  return SendToPortIndex(record, port & 0xFF);
}

void InstallMidiOutputProcs() { SetDriverProcById(kMidiPortDriverProc, MidiPortDriverProc); }

int32_t SendMidiMessage(DriverProcId sendProc, uint8_t status, uint8_t data1, uint8_t data2,
                        uint8_t port, uint32_t delay, void* noteOwner) {
  if (sendProc == kNoDriverProc) return 0;
  if (delay && (status & 0xF0) == 0x90 && data2 > 0 && data2 < 0x80 &&
      !ScheduleNoteOff(delay, true, status, data1, 0, port, sendProc, noteOwner, noteOwner))
    return 0;
  MidiMessage m;
  BuildMidiMessage(&m, status, data1, data2, kOriginOutput);
  return InvokeSendCallback(sendProc, m.Record(), port);
}

int32_t SendToInstrumentSlots(int32_t instrument, uint8_t status, uint8_t data1, uint8_t data2,
                              uint32_t delay, void* noteOwner) {
  uint8_t* record = GetInstrumentRecord(instrument);
  if (!record) return 0;
  uint8_t kind = status & 0xF0;
  uint8_t mask = record[kInstPartMask];
  if (kind == 0xC0) mask &= 1;
  int32_t result = 0;
  for (int32_t slot = 0; slot < kInstrumentParts; ++slot) {
    if (!(mask & (1 << slot))) continue;
    uint8_t slotStatus = uint8_t(kind | (record[kInstChannels + slot] & 0x0F));
    DriverProcId proc = ReadU32BE(record + kInstDriverProcs + 4 * slot);
    result = SendMidiMessage(proc, slotStatus, data1, data2, record[kInstPorts + slot], delay, noteOwner);
  }
  if (kind == 0xC0) {
    record[kInstProgram] = data1;
    record[kInstMidiState] |= kInstStateProgramSent;
  }
  if (kind == 0xB0) TrackInstrumentController(instrument, data1, data2);
  return result;
}

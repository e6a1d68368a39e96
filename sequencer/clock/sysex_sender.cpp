#include "sequencer/clock/sysex_sender.h"

#include <algorithm>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/system/host_time.h"
#include "sequencer/clock/tick_routines.h"
#include "sequencer/clock/tick_scheduler.h"
#include "sequencer/midi/midi_output.h"
#include "sequencer/midi/realtime_processors.h"
#include "song/events/data_events.h"
#include "song/events/seq_event.h"
#include "song/instruments/instrument_table.h"
#include "song/model/song_layout.h"

uint16_t gSysExPacketDelay = 1;

namespace {

// One packet: the count bytes go into a message record of their own.
void SendSysExPacket(const uint8_t* bytes, uint32_t count, DriverProcId send, uint8_t output) {
  MidiMessage m;
  m.length = uint8_t(kMidiMessageHeader + count);
  std::copy(bytes, bytes + count, m.bytes);
  InvokeSendCallback(send, m.Record(), output);
}

// The stored data bytes of a record, or 0 when the record is damaged.
uint32_t StoredDataBytes(const uint8_t* event, uint32_t bytesLeft) {
  if (bytesLeft < uint32_t(kDataEventOverhead) || SeqEventKind(event) != kKindVariable) return 0;
  uint32_t total = SeqEventLengthWithin(event, bytesLeft);
  if (total < uint32_t(kDataEventOverhead)) return 0;
  return std::min(GetDataEventLength(event), total - kDataEventOverhead);
}

// Ends the held notes of live input that plays to the same output.
void EndHeldNotesOfInputs(DriverProcId send) {
  if (send == kNoDriverProc) return;
  for (RealtimeProcessor* p = gMidiInputs; p; p = p->next)
    if (p->driverProc == send) ReleaseHeldNotes(p, nullptr);
}

// The wait before a packet that continues a message rather than starting one.
void PauseBeforePacket(uint8_t firstByte) {
  if (firstByte != 0xF0 && gSysExPacketDelay > 0) Delay(gSysExPacketDelay, nullptr);
}

}  // namespace

int32_t SendSysExChunked(const uint8_t* data, uint32_t count, DriverProcId send, uint8_t output) {
  if (send == kNoDriverProc || !data) return 0;
  int32_t packets = 0;
  for (uint32_t at = 0; at < count;) {
    uint32_t n = std::min(count - at, kSysExPacketBytes);
    if (packets > 0) PauseBeforePacket(data[at]);
    SendSysExPacket(data + at, n, send, output);
    ++packets;
    at += n;
  }
  return packets;
}

int32_t SendSysExRecord(const uint8_t* event, uint32_t bytesLeft, DriverProcId send,
                        uint8_t output) {
  uint32_t n = StoredDataBytes(event, bytesLeft);
  if (n == 0 || send == kNoDriverProc) return 0;
  // The first packet carries the 0xF0 the record leaves out; the rest goes from the record.
  uint8_t first[kSysExPacketBytes];
  first[0] = 0xF0;
  uint32_t head = std::min(n, kSysExPacketBytes - 1);
  std::copy(event + kDataEventData, event + kDataEventData + head, first + 1);
  SendSysExPacket(first, head + 1, send, output);
  const uint8_t* rest = event + kDataEventData + head;
  if (n > head) PauseBeforePacket(rest[0]);
  return 1 + SendSysExChunked(rest, n - head, send, output);
}

void SendTrackSysEx(const uint8_t* track, const uint8_t* event, int32_t) {
  if (!track || !event) return;
  Handle list(ReadU32BE(track + kTrackEventList));
  if (!list || !*list) return;
  const uint8_t* start = reinterpret_cast<const uint8_t*>(*list);
  uint32_t size = uint32_t(GetHandleSize(list));
  if (event < start || event >= start + size) return;
  DriverProcId send = ReadU32BE(track + kTrackDriverProc);
  uint8_t output = track[kTrackMidiOutput];
  uint8_t device = track[kTrackType];
  uint8_t parts = 0;
  const uint8_t* instrument = nullptr;
  if (track[kTrackFlags] & kTrackInstrumentTrack) {
    instrument = GetInstrumentRecord(GetTrackInstrument(track, 0));
    if (!instrument || instrument == GetMasterEntry()) return;
    parts = instrument[kInstPartMask];
  }
  gSendingSysExDump = 1;
  uint32_t left = uint32_t(start + size - event);
  if (!instrument) {
    if (device != 4 && device != 5) EndHeldNotesOfInputs(send);
    SendSysExRecord(event, left, send, output);
    return;
  }
  for (int32_t p = 0; p < kInstrumentParts; ++p) {
    if (!(parts & (1u << p))) continue;
    send = ReadU32BE(instrument + kInstDriverProcs + 4 * p);
    device = instrument[kInstDeviceKinds + p];
    if (device != 4 && device != 5) EndHeldNotesOfInputs(send);
    SendSysExRecord(event, left, send, instrument[kInstPorts + p]);
  }
}

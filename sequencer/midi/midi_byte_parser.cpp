// The byte-stream parser of recorded and imported MIDI: running status, one-byte messages
// (program change, channel pressure), song position pointers and system-exclusive blocks,
// which are built in place at the write pointer while they fit.
#include <cstring>

#include "platform/memory/byte_order.h"
#include "sequencer/midi/midi_input.h"
#include "sequencer/midi/record_buffers.h"
#include "song/events/data_events.h"
#include "song/events/seq_event.h"

namespace {

constexpr uint32_t kParseDropping = 0;  // index while the rest of a filtered message is skipped
constexpr uint32_t kParseFirstData = 6;

int32_t DataBytesOf(uint8_t status) { return (status & 0xE0) == 0xC0 ? 1 : 2; }

void StartMessage(MidiParseState& s, uint8_t status, uint32_t tick) {
  s.status = status;
  s.dataCount = 0;
  s.index = kParseFirstData;
  s.tick = tick;
}

// Opens a block at the write pointer: the header now, the data as it comes.
int32_t OpenParsedSysEx(RealtimeProcessor* p, uint32_t tick) {
  RecordBuffer& r = p->record;
  uint8_t* base = RecordBufferBytes(p);
  if (!base || r.write > r.end || r.end - r.write < uint32_t(DataEventSize(1))) {
    p->errorFlags.fetch_or(kProcessorErrorRecordFull, std::memory_order_relaxed);
    r.parse.status = 0;
    return 1;
  }
  r.busy.store(1, std::memory_order_release);
  r.openSysEx = r.write;
  FillDataEvent(base + r.write, tick, nullptr, 0);
  r.write += kDataEventData;
  return 0;
}

// A full buffer cuts an unfinished block off: the write pointer goes back to its start.
void CutOffParsedSysEx(RealtimeProcessor* p) {
  RecordBuffer& r = p->record;
  if (r.openSysEx == kNoSysExBlock) return;
  r.write = r.openSysEx;
  r.openSysEx = kNoSysExBlock;
  r.parse.status = 0;
  r.busy.store(0, std::memory_order_release);
}

int32_t AppendParsedSysEx(RealtimeProcessor* p, uint8_t byte) {
  RecordBuffer& r = p->record;
  // Room for this byte, an 0xF7, a pad and the trailer must stay.
  if (r.write > r.end || r.end - r.write < uint32_t(kEventVariableTrailer + 3)) {
    p->errorFlags.fetch_or(kProcessorErrorRecordFull, std::memory_order_relaxed);
    CutOffParsedSysEx(p);
    return 1;
  }
  RecordBufferBytes(p)[r.write++] = byte;
  return 0;
}

int32_t CompleteMessage(RealtimeProcessor* p, MidiParseState& s) {
  if (s.status == 0xF2) {
    TakeSongPositionPointer(s.data[0], s.data[1]);
    s.status = 0;
    return 0;
  }
  int32_t length = (s.status & 0xF0) == 0x80 || (s.status & 0xF0) == 0x90 ? kLongEventSize : kShortEventSize;
  uint8_t status = s.status;
  uint32_t tick = s.tick;
  int32_t full = StoreParsedEvent(p, &s, length);
  StartMessage(s, status, tick);  // the status is kept for running status
  return full;
}

int32_t TakeChannelData(RealtimeProcessor* p, MidiParseState& s, uint8_t byte, uint32_t tick) {
  if (s.dataCount == 0 && s.index != kParseDropping) {
    s.tick = tick;
    if (!(gMidiInputFlags & RecordClassBit(s.status, byte))) s.index = kParseDropping;
  }
  s.data[s.dataCount++] = byte;
  if (s.dataCount < DataBytesOf(s.status)) return 0;
  if (s.index == kParseDropping) {
    StartMessage(s, s.status, tick);
    return 0;
  }
  return CompleteMessage(p, s);
}

}  // namespace

void CloseParsedSysEx(RealtimeProcessor* p) {
  RecordBuffer& r = p->record;
  if (r.openSysEx == kNoSysExBlock) return;
  uint8_t* base = RecordBufferBytes(p);
  uint8_t* e = base + r.openSysEx;
  if (r.write == r.openSysEx + kDataEventData || base[r.write - 1] != 0xF7) base[r.write++] = 0xF7;
  uint32_t n = r.write - r.openSysEx - kDataEventData;
  if (n & 1) base[r.write++] = 0xF7;
  uint32_t total = DataEventSize(n);
  WriteU32BE(e + kEventVariableLength, total);
  WriteU32BE(e + kDataEventCount, n);
  uint8_t* trailer = e + total - kEventVariableTrailer;
  std::memset(trailer, 0, kEventVariableTrailer);
  WriteU32BE(trailer, total);
  trailer[5] = kVariableMarker;
  r.write = r.openSysEx + total;
  r.recordedLength += total;
  r.openSysEx = kNoSysExBlock;
  r.busy.store(0, std::memory_order_release);
  gMidiInputFlags |= kRecordMadeEvent;
}

int32_t StoreParsedEvent(RealtimeProcessor* p, MidiParseState* state, int32_t length) {
  uint8_t oneByte = DataBytesOf(state->status) == 1;
  RingMessage m{state->tick, state->status, state->data[0], oneByte ? kOneDataByte : state->data[1], 0, 0, 0};
  (void)length;  // the kind decides: notes take 14 bytes, the rest 8
  const ProcessorState* s = StateOf(p);
  int32_t made = WriteRecordedMessage(p, m, true, s->flags, s->outputChannel);
  *state = MidiParseState{};
  return made ? 0 : 1;
}

int32_t ParseMidiByte(RealtimeProcessor* p, uint8_t byte, uint32_t tick) {
  MidiParseState& s = p->record.parse;
  if (byte >= 0xF8) return 0;
  if (byte >= 0x80) {
    if (p->record.openSysEx != kNoSysExBlock) {
      if (byte == 0xF7 && AppendParsedSysEx(p, byte)) return 1;
      CloseParsedSysEx(p);
    }
    if (byte == 0xF7) {
      s = MidiParseState{};
      return 0;
    }
    StartMessage(s, byte, tick);
    if (byte == 0xF0 && (gMidiInputFlags & kInputRecordSysEx)) return OpenParsedSysEx(p, tick);
    return 0;
  }
  if (s.status == 0) return 0;  // running status needs a status first
  if (s.status < 0xF0) return TakeChannelData(p, s, byte, tick);
  if (s.status == 0xF0) return p->record.openSysEx != kNoSysExBlock ? AppendParsedSysEx(p, byte) : 0;
  if (s.status == 0xF2) {
    s.data[s.dataCount++] = byte;
    if (s.dataCount == 2) return CompleteMessage(p, s);
  }
  return 0;
}

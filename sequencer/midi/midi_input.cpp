#include "sequencer/midi/midi_input.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "sequencer/clock/transport_clock.h"
#include "sequencer/midi/midi_clock_out.h"
#include "sequencer/midi/midi_output.h"
#include "sequencer/midi/mtc_receiver.h"
#include "sequencer/midi/realtime_processors.h"
#include "sequencer/midi/record_buffers.h"
#include "sequencer/transport/playback_control.h"
#include "song/conductor/tempo_tables.h"

uint16_t gMidiInputOptions = 0;
// A fresh program records notes, pressure, controllers, programs and bends, system-exclusive
// blocks, and changes the armed tracks' flags at punch in and out.
uint16_t gMidiInputFlags = kInputDefaultFlags;
std::atomic<MidiPreFilter> gSyncPreFilter{IsNotRealTimeStatus};
RemoteMidiHandler gRemoteMidiHandler = nullptr;

namespace {

constexpr int32_t kMinTempo = 120, kMaxTempo = 4500;
constexpr int32_t kChunkBytes = kMidiMessageMaxBytes;
constexpr int32_t kInputSlots = kMidiInputCount + 2;  // inputs, the sync input, anything else

// MIDI-thread state: running status and an open system-exclusive block per connection.
uint8_t gRunningStatus[kInputSlots] = {};
bool gInSysEx[kInputSlots] = {};
uint64_t gClockSum = 0, gLastClock = 0;
uint32_t gClockCount = 0;
uint64_t gLastTap = 0;

int32_t SlotOf(const MidiEndpointEntry* entry) {
  if (entry >= gMidiDriver.inputs && entry < gMidiDriver.inputs + kMidiInputCount)
    return int32_t(entry - gMidiDriver.inputs);
  return entry == &gMidiDriver.syncInput ? kMidiInputCount : kMidiInputCount + 1;
}

bool MatchesSource(const RealtimeProcessor* p, const MidiEndpointEntry* entry) {
  return p->sourceId == 0 || (entry && p->sourceId == entry->uniqueId);
}

void CollectSysEx(RealtimeProcessor* p, const uint8_t* bytes, int32_t count, uint32_t tick) {
  if (!(gMidiInputFlags & kInputRecordSysEx)) return;
  if (bytes[0] == 0xF0) {
    p->sysexLength = 0;
    p->sysexTick = tick;
    ++bytes;
    --count;
  }
  if (p->sysexLength + uint32_t(count) >= kSysExBufferSize) {
    p->sysexLength = 0;
    p->errorFlags.fetch_or(kProcessorErrorSysExFull, std::memory_order_relaxed);
    return;
  }
  std::memcpy(p->sysex + p->sysexLength, bytes, size_t(count));
  p->sysexLength += uint32_t(count);
  if (count > 0 && bytes[count - 1] == 0xF7) {
    ++p->sysexComplete;
    // While the processor records, the block goes to its record buffer.
    if (p->record.active.load(std::memory_order_acquire) && IsInRecordRange(p->sysexTick))
      AppendSysExRecord(p, p->sysex);
  }
}

// A tempo measured from incoming clock: the clock's requested tempo, and a tempo record
// while tempo recording is on.
void TakeFollowedTempo(int32_t tempo) {
  gTransportClock.requestedTempo = int16_t(tempo);
  if (gMidiInputFlags & kInputRecordTempo)
    AppendTempoRecord(&gTempoRecordBuffer, GetMidiSyncTick(), uint16_t(tempo));
}

// Clock bytes measure the tempo while the audio clock drives the song.
void FollowMidiClock(uint8_t status, uint64_t hostNanos) {
  if (status == 0xFA || status == 0xFB) {
    if (!gTransportClock.syncRunning) gClockSum = gClockCount = 0, gLastClock = 0;
    return;
  }
  if (status != 0xF8) return;
  bool follow = std::atomic_ref<uint8_t>(gAudioClockMode).load(std::memory_order_relaxed);
  if (gLastClock && follow && hostNanos > gLastClock) {
    gClockSum += hostNanos - gLastClock;
    if (++gClockCount >= 12) {
      int32_t tempo = TempoFromMidiClock(gClockSum, gClockCount);
      gClockSum = gClockCount = 0;
      if (tempo) TakeFollowedTempo(tempo);
    }
  }
  gLastClock = hostNanos;
}

void TapTempo(const uint8_t* bytes, uint64_t hostNanos) {
  if ((bytes[0] & 0xF0) != 0x90 || bytes[2] == 0) return;
  if (gLastTap && hostNanos > gLastTap) {
    int32_t tempo = TempoFromTaps(hostNanos - gLastTap);
    if (tempo == 0) return;  // a chord: keep the first tap
    gTransportClock.requestedTempo = int16_t(tempo);
    gMidiInputOptions |= kInputTempoTapped;
  }
  gLastTap = hostNanos;
}

void DispatchMessage(const uint8_t* bytes, int32_t count, const MidiEndpointEntry* entry, uint32_t tick,
                     uint64_t hostNanos, bool receiverTook);

// Splits one packet into messages and dispatches them.
struct PacketSplitter {
  const MidiEndpointEntry* entry;
  int32_t slot;
  uint32_t tick;
  uint64_t host;
  uint8_t buffer[kChunkBytes];
  int32_t n = 0;

  bool receiverTook = false;  // the bytes were taken by the sync receiver already

  void Flush() {
    if (n == 0) return;
    bool shortNoteOn = (buffer[0] & 0xF0) == 0x90 && n < 3;
    if (!shortNoteOn) DispatchMessage(buffer, n, entry, tick, host, receiverTook);
    n = 0;
  }
  // The length of a complete channel or system-common message (0: open-ended).
  static int32_t Expected(uint8_t status) {
    if (status < 0x80) return 0;
    if (status < 0xF0) return (status & 0xE0) == 0xC0 ? 2 : 3;
    if (status == 0xF1 || status == 0xF3) return 2;
    if (status == 0xF2) return 3;
    return status == 0xF0 ? 0 : 1;
  }
  void Take(uint8_t b) {
    if (b >= 0xF8) {
      uint8_t one = b;
      MidiInputDispatch(&one, 1, entry, tick, host);
      return;
    }
    if (b >= 0x80) {
      if (b == 0xF7 && gInSysEx[slot]) {
        Append(b);
        gInSysEx[slot] = false;
        Flush();
        return;
      }
      Flush();
      gInSysEx[slot] = b == 0xF0;
      gRunningStatus[slot] = b < 0xF0 ? b : 0;
      Append(b);
    } else {
      if (n == 0 && !gInSysEx[slot] && gRunningStatus[slot]) Append(gRunningStatus[slot]);
      Append(b);
    }
    int32_t want = Expected(buffer[0]);
    if (want && n >= want) Flush();
  }
  void Append(uint8_t b) {
    buffer[n++] = b;
    if (n == kChunkBytes) Flush();
  }
};

// The sync input hands each packet whole to the time-code or MIDI clock receiver first; the
// bytes it does not take go on through the splitter. Answers the bytes taken.
int32_t FeedSyncReceiver(const MidiEndpointEntry* entry, const uint8_t* data, int32_t count, uint64_t host) {
  uint32_t flags = entry ? entry->flags : kInputOrdinary;
  MidiPreFilter filter = gSyncPreFilter.load();
  bool timeCode = filter == ReceiveMtcMessage, clock = filter == ReceiveMidiClockMessage;
  if (!(flags & kInputSync) || !(timeCode || clock)) return 0;
  int32_t taken = 0;
  while (taken < count) {
    MidiMessage packet;
    int32_t n = std::min(count - taken, kMidiMessageMaxBytes);
    std::memcpy(packet.bytes, data + taken, size_t(n));
    packet.length = uint8_t(kMidiMessageHeader + n);
    int32_t took = timeCode ? ParseMtcPacket(packet) : ParseMidiClockPacket(packet);
    // Clock bytes the receiver took still measure the tempo in the audio-clock mode.
    if (clock && (gMidiPrefs & kMidiPrefHostTimeStamps))
      for (int32_t i = 0; i < took; ++i)
        if (packet.bytes[i] >= 0xF8) FollowMidiClock(packet.bytes[i], host);
    taken += took;
    if (took < n) break;
  }
  return taken;
}

}  // namespace

int32_t IsNotRealTimeStatus(const uint8_t* bytes, int32_t count, uint32_t, uint64_t) {
  return count > 0 && bytes[0] <= 0xF7;
}

void MidiReadProc(const MIDIPacketList* list, void*, void* connRefCon) {
  const auto* entry = static_cast<const MidiEndpointEntry*>(connRefCon);
  const MIDIPacket* packet = &list->packet[0];
  for (UInt32 i = 0; i < list->numPackets; ++i, packet = MIDIPacketNext(packet)) {
    PacketSplitter split{entry, SlotOf(entry), HostTimeToTick(packet->timeStamp), packet->timeStamp, {}, 0};
    int32_t taken = FeedSyncReceiver(entry, packet->data, packet->length, packet->timeStamp);
    // System-exclusive bytes the receiver took are still collected for the recorder.
    split.receiverTook = true;
    for (int32_t k = 0; k < taken; ++k)
      if (packet->data[k] == 0xF0 || gInSysEx[split.slot]) split.Take(packet->data[k]);
    split.Flush();
    split.receiverTook = false;
    for (int32_t k = taken; k < packet->length; ++k) split.Take(packet->data[k]);
    split.Flush();
  }
}

void MidiInputDispatch(const uint8_t* bytes, int32_t count, const MidiEndpointEntry* entry,
                       uint32_t tick, uint64_t hostNanos) {
  DispatchMessage(bytes, count, entry, tick, hostNanos, false);
}

namespace {

void DispatchMessage(const uint8_t* bytes, int32_t count, const MidiEndpointEntry* entry, uint32_t tick,
                     uint64_t hostNanos, bool receiverTook) {
  if (count <= 0) return;
  uint32_t flags = entry ? entry->flags : kInputOrdinary;
  bool ordinary = flags & kInputOrdinary;
  MidiPreFilter sync = gSyncPreFilter.load();
  MidiPreFilter filter = (flags & kInputSync) && sync ? sync : IsNotRealTimeStatus;
  RealtimeProcessor* first = gMidiInputs;
  while (first && !MatchesSource(first, entry)) first = first->next;
  if (!gMidiInputs) return;
  uint8_t status = bytes[0];
  if (status == 0xF0 || status == 0xF7 || status < 0x80) {
    if (first && ordinary) CollectSysEx(first, bytes, count, tick);
    if (!receiverTook) filter(bytes, count, tick, hostNanos);
    return;
  }
  if (receiverTook) return;
  if (count > 3) return;
  if (!filter(bytes, count, tick, hostNanos)) {
    if (gMidiPrefs & kMidiPrefHostTimeStamps) FollowMidiClock(status, hostNanos);
    return;
  }
  if (!ordinary) return;
  RingMessage message{tick, status, count > 1 ? bytes[1] : uint8_t(0), count > 2 ? bytes[2] : kOneDataByte,
                      0, entry ? entry->uniqueId : 0, 0};
  if (!first) {
    gMidiInputs->current = message;
    if (gRemoteMidiHandler) gRemoteMidiHandler(bytes, count);
    return;
  }
  bool tapped = false;
  for (RealtimeProcessor* p = first; p; p = p->next) {
    if (!MatchesSource(p, entry) || status > 0xEF) continue;
    if (p->channelFilter & (1u << (status & 0x0F))) continue;
    p->current = message;
    if (!tapped && (gMidiInputOptions & kInputTapTempo) && count == 3) TapTempo(bytes, hostNanos);
    tapped = true;
    if (gRemoteMidiHandler && gRemoteMidiHandler(bytes, count) == 0) continue;
    if (StateOf(p)->flags & kProcessorLive)
      ProcessLiveInput(p, nullptr);
    else
      QueueProcessorInput(p, p->current);
  }
}

}  // namespace

int32_t TempoFromMidiClock(uint64_t sumNanos, uint32_t n) {
  if (n == 0 || sumNanos == 0) return 0;
  double interval = double(sumNanos) / n;
  double tempo = 2400.0 / (interval * 24.0 * 4.0 / 1e9);
  return int32_t(std::clamp(tempo, double(kMinTempo), double(kMaxTempo)));
}

int32_t TempoFromTaps(uint64_t intervalNanos) {
  if (intervalNanos < 1000000) return 0;
  uint64_t tempo = 600000000000ull / intervalNanos;
  return int32_t(std::clamp<uint64_t>(tempo, kMinTempo, kMaxTempo));
}

#include "sequencer/midi/realtime_processors.h"

#include <algorithm>
#include <atomic>

#include "sequencer/clock/transport_clock.h"
#include "sequencer/midi/arp_input.h"
#include "sequencer/midi/midi_input.h"
#include "sequencer/midi/midi_output.h"
#include "sequencer/midi/record_start_hooks.h"

RealtimeProcessor* gRealtimeProcessors = nullptr;
RealtimeProcessor* gMidiInputs = nullptr;
uint8_t gForwardQuarterFrames = 0;

int32_t FirstRealtimeProcessorFlags() { return gRealtimeProcessors ? uint8_t(gRealtimeProcessors->flags >> 8) : -1; }

void ClampRealtimeProcessorInstruments(int32_t count) {
  for (RealtimeProcessor* p = gRealtimeProcessors; p; p = p->next) {
    if (count > 0 && (p->instrument >> 8) >= count) p->instrument = uint16_t((count - 1) << 8);
  }
}

void PublishProcessorBinding(RealtimeProcessor* p) {
  ProcessorState* s = StateOf(p);
  s->send = p->driverProc;
  s->port = p->port;
  s->outputChannel = p->channel;
  s->instrument = p->instrument;
  s->routeThroughInstrument = 0;
  s->flags = uint8_t(p->flags);
}

namespace {

RealtimeProcessor* gDefaultInput = nullptr;
uint8_t gPolledKeys[128] = {};

bool IsChannelStatus(uint8_t status) { return status >= 0x80 && status < 0xF0; }

void RaiseHighestVelocity(RealtimeProcessor* p, uint32_t velocity) {
  uint32_t seen = p->highestVelocity.load(std::memory_order_relaxed);
  while (velocity > seen && !p->highestVelocity.compare_exchange_weak(seen, velocity)) {
  }
}

// Sends one message through the state's output: the instrument's slots or the send proc.
void SendThroughState(ProcessorState* s, uint8_t status, uint8_t data1, uint8_t data2,
                      uint32_t delay, void* noteOwner = nullptr) {
  if (s->routeThroughInstrument)
    SendToInstrumentSlots(s->instrument, status, data1, data2, delay, noteOwner);
  else
    SendMidiMessage(s->send, status, data1, data2, s->port, delay, noteOwner);
}

void PressSustain(ProcessorState* s) {
  int32_t n = 0;
  for (int32_t key = 0; key < 128; ++key)
    if (s->held[key]) s->sustained[n++] = uint8_t(key);
  s->sustained[n] = 0;
}

// The slot of the processor's arpeggiator when it plays: its slot is one of the eight, in use,
// and the arpeggiator is switched on; else null.
uint8_t* ActiveArpeggiatorSlot(const ProcessorState* s) {
  return gArpeggiatorSwitch ? ArpSlotAt(s->arpSlot) : nullptr;
}

void AdjustHeld(ProcessorState* s, uint8_t key, int32_t by) {
  std::atomic_ref<uint8_t> held(s->held[key]);
  held.store(uint8_t(held.load(std::memory_order_relaxed) + by), std::memory_order_relaxed);
}

}  // namespace

RealtimeProcessor* CreateDefaultInputProcessor() {
  if (gDefaultInput) return gDefaultInput;
  gDefaultInput = new (std::nothrow) RealtimeProcessor;
  if (!gDefaultInput) return nullptr;
  StateOf(gDefaultInput)->arpSlot = kNoArpSlot;
  gDefaultInput->channel = 16;
  PublishProcessorBinding(gDefaultInput);
  gDefaultInput->next = gRealtimeProcessors;
  gRealtimeProcessors = gDefaultInput;
  gMidiInputs = gDefaultInput;
  return gDefaultInput;
}

void DisposeDefaultInputProcessor() {
  if (!gDefaultInput) return;
  if (gRealtimeProcessors == gDefaultInput) gRealtimeProcessors = gDefaultInput->next;
  if (gMidiInputs == gDefaultInput) gMidiInputs = nullptr;
  delete gDefaultInput;
  gDefaultInput = nullptr;
}

bool QueueProcessorInput(RealtimeProcessor* p, const RingMessage& message) {
  if (!p || message.status == 0xF1) return false;
  if ((message.status & 0xF0) == 0x90 && message.data2 != kOneDataByte) {
    if (message.data2 != 0) StartRecordOnFirstNote(message.tick);
    RaiseHighestVelocity(p, message.data2);
  }
  if (p->ring.TryPush(message)) return true;
  p->errorFlags.fetch_or(kProcessorErrorRingFull, std::memory_order_relaxed);
  return false;
}

bool PopMidiInputRing(RealtimeProcessor* p, RingMessage* out) {
  return p && p->ring.TryPop(out);
}

uint8_t TakeProcessorErrors(RealtimeProcessor* p) {
  return p ? p->errorFlags.exchange(0, std::memory_order_relaxed) : 0;
}

void ProcessorSend(RealtimeProcessor* p, const RingMessage& ringMessage, uint8_t status,
                   uint8_t data1, uint8_t data2, uint32_t delay, void* noteOwner) {
  ProcessorState* s = StateOf(p);
  if (IsChannelStatus(status) && s->outputChannel < 16) status = uint8_t((status & 0xF0) | s->outputChannel);
  bool programBlocked = (status & 0xF0) == 0xC0 && (s->flags & kProcessorNoPrograms);
  if (!programBlocked) SendThroughState(s, status, data1, data2, delay, noteOwner);
  QueueProcessorInput(p, ringMessage);
}

void ProcessLiveInput(RealtimeProcessor* p, const RingMessage* message) {
  if (!p) return;
  const RingMessage& arrived = message ? *message : p->current;
  ProcessorState* s = StateOf(p);
  uint8_t status = arrived.status;
  if (status >= 0xF8) {
    if (status <= 0xFD) SendMidiMessage(s->send, status, 0x80, 0x80, s->port, 0);
    return;
  }
  if (status == 0xF0) return;
  if (status == 0xF1 && !gForwardQuarterFrames) return;
  uint8_t data1 = arrived.data1, data2 = arrived.data2;
  uint8_t kind = status & 0xF0;
  uint8_t* arpSlot = ActiveArpeggiatorSlot(s);
  const bool arpeggiated = arpSlot != nullptr;
  bool swallowed = false;
  if (kind == 0x80 || kind == 0x90) {
    data1 = uint8_t(std::clamp(int32_t(data1) + s->transpose, 0, 127));
    if (kind == 0x80 || data2 == 0) {
      if (s->held[data1] == 0) {
        QueueProcessorInput(p, arrived);
        return;
      }
      swallowed = arpeggiated && !ArpNoteOff(arpSlot, s, data1);
      AdjustHeld(s, data1, -1);
    } else {
      s->channelBits |= 1u << (status & 0x0F);
      swallowed = arpeggiated && !ArpNoteOn(arpSlot, s, data1, data2);
      if (s->held[data1] < 255) AdjustHeld(s, data1, 1);
    }
  } else if (kind == 0xB0 && data1 == 64) {
    bool down = data2 > 63;
    if (down && !s->sustainDown) PressSustain(s);
    if (!down && s->sustainDown && arpeggiated) s->arpRestart = 1;  // the slot restarts its chord
    s->sustainDown = down;
    swallowed = arpeggiated;  // the arpeggiator holds the chord: the pedal is not forwarded
  }
  if (!swallowed) ProcessorSend(p, arrived, status, data1, data2, 0);
}

void ReleaseHeldNotes(RealtimeProcessor* p, RealtimeProcessor* queueInto) {
  if (!p) return;
  ProcessorState* s = StateOf(p);
  uint8_t savedFlags = s->flags;
  s->flags = 0;
  bool allChannels = s->outputChannel > 15;
  for (int32_t key = 0; key < 128; ++key) {
    if (!s->held[key]) continue;
    if (s->routeThroughInstrument || !allChannels) {
      SendThroughState(s, uint8_t(0x90 | (allChannels ? 0 : s->outputChannel)), uint8_t(key), 0, 0);
    } else {
      for (uint8_t ch = 0; ch < 16; ++ch) SendThroughState(s, uint8_t(0x90 | ch), uint8_t(key), 0, 0);
    }
    if (queueInto) {
      for (uint8_t ch = 0; ch < 16; ++ch) {
        if (!(s->channelBits & (1u << ch))) continue;
        RingMessage off{gTransportClock.songTick, uint8_t(0x90 | ch), uint8_t(key), 0, 0, 0, 0};
        QueueProcessorInput(queueInto, off);
      }
    }
    s->held[key] = 0;
  }
  s->channelBits = 0;
  s->resetByAllNotesOff = 0;
  s->sustainDown = 0;
  s->sustained[0] = 0;
  s->flags = savedFlags;
}

int32_t CountHeldNotes(RealtimeProcessor* p, bool countAll, uint8_t low, uint8_t high) {
  if (!p) return 0;
  if (low == 0 && high == 0) high = 127;
  ProcessorState* s = StateOf(p);
  int32_t n = 0;
  for (int32_t key = low; key <= std::min<int32_t>(high, 127); ++key) {
    if (!s->held[key]) continue;
    ++n;
    if (!countAll) break;
  }
  return n;
}

bool IsInputPollSuspended() { return gMidiInputFlags & kInputPollSuspended; }

bool ReadProcessorNote(RealtimeProcessor* p, uint8_t* note, uint8_t* velocity, uint32_t* tick) {
  if (!p) p = gRealtimeProcessors;
  RingMessage m;
  while (PopMidiInputRing(p, &m)) {
    uint8_t kind = m.status & 0xF0;
    if (kind != 0x80 && kind != 0x90) continue;
    uint8_t key = m.data1 & 0x7F;
    if (kind == 0x80 || m.data2 == 0) {
      if (gPolledKeys[key]) --gPolledKeys[key];
      continue;
    }
    if (gPolledKeys[key] < 255) ++gPolledKeys[key];
    *note = key;
    *velocity = m.data2;
    if (tick) *tick = m.tick;
    return true;
  }
  return false;
}

int32_t PolledKeyCount(uint8_t key) { return gPolledKeys[key & 0x7F]; }

void ResetPolledKeys() {
  for (uint8_t& count : gPolledKeys) count = 0;
}

void ReadLastInputNote(uint8_t* note, uint8_t* velocity) {
  *note = *velocity = 0;
  uint8_t n, v;
  while (!IsInputPollSuspended() && ReadProcessorNote(gRealtimeProcessors, &n, &v, nullptr)) {
    *note = n;
    *velocity = v;
  }
}

uint32_t GetCurrentSongPosition() { return gTransportClock.songTick; }

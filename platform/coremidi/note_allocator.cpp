// Note allocators and note channels on the built-in synth.
#include "platform/coremidi/note_allocator.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <set>

#include "platform/coremidi/gm_instrument_names.h"
#include "platform/coremidi/midi_server.h"
#include "platform/coremidi/synth_engine.h"

namespace {

constexpr int kNoteChannels = kSynthChannels - kFirstNoteChannel;
constexpr SInt32 kBendSemitones = 24;

struct NoteState {
  std::mutex lock;  // opening and closing
  std::set<NoteAllocator> allocators;
  uint32_t nextAllocator = 0;
  uint32_t nextSerial = 0;
  // Read without the lock by the playing calls.
  std::atomic<NoteChannel> channel[kNoteChannels] = {};
  std::atomic<NoteAllocator> owner[kNoteChannels] = {};
};

NoteState& N() {
  static NoteState* state = new NoteState;
  return *state;
}

// The synth channel of a live note channel of na, or -1.
int SynthChannelOf(NoteAllocator na, NoteChannel nc) {
  if (na == 0 || nc == 0) return -1;
  int index = int(nc & 15);
  NoteState& n = N();
  if (n.channel[index].load(std::memory_order_acquire) != nc || n.owner[index].load(std::memory_order_relaxed) != na)
    return -1;
  return kFirstNoteChannel + index;
}

bool Send(int synthChannel, SynthEventKind kind, std::initializer_list<Byte> bytes) {
  SynthEvent ev;
  ev.kind = kind;
  ev.channel = uint8_t(synthChannel);
  ev.length = uint8_t(bytes.size());
  std::copy(bytes.begin(), bytes.end(), ev.data);
  return QueueSynthEvent(ev);
}

bool SendMidi(int synthChannel, Byte status, Byte d1, Byte d2) {
  return Send(synthChannel, kSynthMidi, {Byte(status | (synthChannel & 15)), d1, d2});
}

bool SendMidi2(int synthChannel, Byte status, Byte d1) {
  return Send(synthChannel, kSynthMidi, {Byte(status | (synthChannel & 15)), d1});
}

bool ValidInstrument(SInt32 number) { return number >= 1 && number <= (1 << 21); }
bool IsDrumKit(SInt32 number) { return ((number - 1) >> 7) == (kFirstDrumkit >> 7); }

Byte Clamp7(SInt32 v) { return Byte(std::clamp<SInt32>(v, 0, 127)); }

bool SendInstrument(int synthChannel, SInt32 number) {
  SInt32 n = number - 1;
  bool drum = IsDrumKit(number);
  Byte msb = drum ? 0 : Byte((n >> 14) & 127);
  Byte lsb = drum ? 0 : Byte((n >> 7) & 127);
  return Send(synthChannel, kSynthInstrument, {msb, lsb, Byte(n & 127), Byte(drum ? 1 : 0)});
}

void CopyPascal(const char* text, unsigned char* out, size_t capacity) {
  size_t n = std::min(std::strlen(text), capacity - 1);
  out[0] = static_cast<unsigned char>(n);
  std::memcpy(out + 1, text, n);
}

}  // namespace

NoteAllocator OpenNoteAllocatorComponent() {
  if (!EnsureMidiServices()) return 0;
  NoteState& n = N();
  std::lock_guard<std::mutex> guard(n.lock);
  NoteAllocator na = ++n.nextAllocator;
  if (na == 0) na = ++n.nextAllocator;
  n.allocators.insert(na);
  return na;
}

ComponentResult CloseNoteAllocatorComponent(NoteAllocator na) {
  NoteState& n = N();
  {
    std::lock_guard<std::mutex> guard(n.lock);
    if (n.allocators.erase(na) == 0) return paramErr;
  }
  for (int i = 0; i < kNoteChannels; ++i) {
    NoteChannel nc = n.channel[i].load();
    if (nc != 0 && n.owner[i].load() == na) NADisposeNoteChannel(na, nc);
  }
  return noErr;
}

ComponentResult NANewNoteChannel(NoteAllocator na, NoteRequest* noteRequest, NoteChannel* outChannel) {
  if (outChannel == nullptr || noteRequest == nullptr) return paramErr;
  *outChannel = 0;
  NoteState& n = N();
  std::lock_guard<std::mutex> guard(n.lock);
  if (n.allocators.count(na) == 0) return paramErr;
  SInt32 instrument = noteRequest->tone.instrumentNumber;
  if (!ValidInstrument(instrument)) instrument = noteRequest->tone.gmNumber;
  if (!ValidInstrument(instrument)) instrument = kFirstGMInstrument;
  for (int i = 0; i < kNoteChannels; ++i) {
    if (n.channel[i].load() != 0) continue;
    n.nextSerial = (n.nextSerial + 1) & 0x0FFFFFFF;
    if (n.nextSerial == 0) n.nextSerial = 1;
    NoteChannel nc = (n.nextSerial << 4) | NoteChannel(i);
    int synthChannel = kFirstNoteChannel + i;
    Send(synthChannel, kSynthResetChannel, {});
    Send(synthChannel, kSynthBendRange, {Byte(kBendSemitones)});
    SendInstrument(synthChannel, instrument);
    n.owner[i].store(na, std::memory_order_relaxed);
    n.channel[i].store(nc, std::memory_order_release);
    *outChannel = nc;
    return noErr;
  }
  return notEnoughHardwareErr;
}

ComponentResult NADisposeNoteChannel(NoteAllocator na, NoteChannel noteChannel) {
  NoteState& n = N();
  std::lock_guard<std::mutex> guard(n.lock);
  int synthChannel = SynthChannelOf(na, noteChannel);
  if (synthChannel < 0) return paramErr;
  n.channel[synthChannel - kFirstNoteChannel].store(0, std::memory_order_release);
  n.owner[synthChannel - kFirstNoteChannel].store(0, std::memory_order_relaxed);
  Send(synthChannel, kSynthResetChannel, {});
  return noErr;
}

ComponentResult NAPlayNote(NoteAllocator na, NoteChannel noteChannel, SInt32 pitch, SInt32 velocity) {
  int ch = SynthChannelOf(na, noteChannel);
  if (ch < 0 || pitch < 0 || pitch > 127 || velocity < 0) return paramErr;
  bool queued = velocity == 0 ? SendMidi(ch, 0x80, Byte(pitch), 0) : SendMidi(ch, 0x90, Byte(pitch), Clamp7(velocity));
  return queued ? noErr : memFullErr;
}

ComponentResult NASetController(NoteAllocator na, NoteChannel noteChannel, SInt32 controllerNumber,
                                SInt32 controllerValue) {
  int ch = SynthChannelOf(na, noteChannel);
  if (ch < 0 || controllerNumber < 0 || controllerNumber > 127) return paramErr;
  bool queued = true;
  switch (controllerNumber) {
    case kControllerPitchBend: {
      int64_t bend = 8192 + int64_t(controllerValue) * 8192 / (kBendSemitones * 256);
      bend = std::clamp<int64_t>(bend, 0, 16383);
      queued = SendMidi(ch, 0xE0, Byte(bend & 127), Byte(bend >> 7));
      break;
    }
    case kControllerAfterTouch: queued = SendMidi2(ch, 0xD0, Clamp7(controllerValue / 256)); break;
    case kControllerPan: queued = SendMidi(ch, 0xB0, 10, Clamp7((controllerValue - 256) * 127 / 256)); break;
    case kControllerSustain: queued = SendMidi(ch, 0xB0, 64, controllerValue >= 64 ? 127 : 0); break;
    default: queued = SendMidi(ch, 0xB0, Byte(controllerNumber), Clamp7(controllerValue / 256)); break;
  }
  return queued ? noErr : memFullErr;
}

ComponentResult NASetInstrumentNumber(NoteAllocator na, NoteChannel noteChannel, SInt32 instrumentNumber) {
  int ch = SynthChannelOf(na, noteChannel);
  if (ch < 0 || !ValidInstrument(instrumentNumber)) return paramErr;
  return SendInstrument(ch, instrumentNumber) ? noErr : memFullErr;
}

ComponentResult NAStuffToneDescription(NoteAllocator na, SInt32 gmNumber, ToneDescription* td) {
  if (td == nullptr || !ValidInstrument(gmNumber)) return paramErr;
  {
    NoteState& n = N();
    std::lock_guard<std::mutex> guard(n.lock);
    if (n.allocators.count(na) == 0) return paramErr;
  }
  std::memset(td, 0, sizeof(*td));
  char buffer[32];
  int program = (gmNumber - 1) & 127;
  const char* name = IsDrumKit(gmNumber) ? GeneralMidiKitName(program, buffer, sizeof buffer) : GeneralMidiProgramName(program);
  CopyPascal(name, td->instrumentName, sizeof td->instrumentName);
  td->instrumentNumber = gmNumber;
  td->gmNumber = gmNumber;
  return noErr;
}

void CloseAllNoteAllocators() {
  NoteState& n = N();
  std::lock_guard<std::mutex> guard(n.lock);
  n.allocators.clear();
  for (int i = 0; i < kNoteChannels; ++i) {
    n.channel[i].store(0, std::memory_order_release);
    n.owner[i].store(0, std::memory_order_relaxed);
  }
}

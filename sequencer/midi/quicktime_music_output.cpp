#include "sequencer/midi/quicktime_music_output.h"

#include "sequencer/midi/midi_output.h"
#include "song/instruments/driver_procs.h"

QuickTimeMusicPort gQuickTimeMusicPorts[16];

namespace {

constexpr ComponentResult kNotOpen = -50;
constexpr int32_t kDrumChannel = 9;

NoteAllocator gAllocator = 0;

}  // namespace

ComponentResult OpenQuickTimeMusicPorts() {
  if (!gAllocator) gAllocator = OpenNoteAllocatorComponent();
  if (!gAllocator) return kNotOpen;
  ComponentResult first = 0;
  for (int32_t ch = 0; ch < 16; ++ch) {
    QuickTimeMusicPort& p = gQuickTimeMusicPorts[ch];
    if (p.channel) continue;
    NoteRequest request{};
    request.info.polyphony = 8;
    request.info.typicalPolyphony = 0x00010000;
    request.tone.instrumentNumber = ch == kDrumChannel ? kFirstDrumkit + 1 : kFirstGMInstrument;
    p.allocator = gAllocator;
    p.bank = ch == kDrumChannel ? kFirstDrumkit : 0;
    p.bendRange = 2;
    p.tone.instrumentNumber = request.tone.instrumentNumber;
    p.result = NANewNoteChannel(gAllocator, &request, &p.channel);
    if (p.result != 0 && first == 0) first = p.result;
  }
  SetDriverProcById(kQuickTimeMusicDriverProc, QuickTimeMusicSend);
  return first;
}

void CloseQuickTimeMusicPorts() {
  SetDriverProcById(kQuickTimeMusicDriverProc, nullptr);
  if (gAllocator) CloseNoteAllocatorComponent(gAllocator);  // disposes the channels too
  gAllocator = 0;
  for (QuickTimeMusicPort& p : gQuickTimeMusicPorts) p = QuickTimeMusicPort();
}

int32_t QuickTimeBendValue(uint8_t data1, uint8_t data2, uint8_t range) {
  int32_t bend = (int32_t(data2 & 0x7F) * 128 + (data1 & 0x7F)) * 16384 / 16383 - 8192;
  return bend * range / 32;
}

int32_t QuickTimeMusicSend(uint8_t* record, int32_t) {
  if (!record || record[1] < kMidiMessageHeader + 1) return 0;
  const uint8_t* m = record + kMidiMessageHeader;
  int32_t n = record[1] - kMidiMessageHeader;
  uint8_t status = m[0], kind = status & 0xF0;
  uint8_t d1 = n > 1 ? m[1] : 0, d2 = n > 2 ? m[2] : 0;
  if (kind < 0x80 || kind == 0xF0) return 0;
  QuickTimeMusicPort& p = gQuickTimeMusicPorts[status & 0x0F];
  if (!p.allocator || !p.channel) {
    p.result = kNotOpen;
    return 0;
  }
  NoteAllocator na = p.allocator;
  NoteChannel nc = p.channel;
  switch (kind) {
    case 0x80: p.result = NAPlayNote(na, nc, d1, 0); break;
    case 0x90: p.result = NAPlayNote(na, nc, d1, d2); break;
    case 0xB0:
      if (d1 == 0) {
        p.bank = (p.bank & ~(0x7F << 14)) | (d2 & 0x7F) << 14;
      } else if (d1 == 32) {
        p.bank = (p.bank & ~(0x7F << 7)) | (d2 & 0x7F) << 7;
      } else if (d1 == 64) {
        p.result = NASetController(na, nc, kControllerSustain, d2 >= 64 ? d2 : 0);
      } else if (d1 == 10) {
        p.result = NASetController(na, nc, kControllerPan, d2 * 256 / 127 + 256);
      } else {
        p.result = NASetController(na, nc, d1, d2 * 256);
      }
      if ((status & 0x0F) == kDrumChannel && (d1 == 0 || d1 == 32)) p.bank = kFirstDrumkit;
      break;
    case 0xC0:
      p.tone.instrumentNumber = p.bank + d1 + 1;
      p.result = NASetInstrumentNumber(na, nc, p.tone.instrumentNumber);
      break;
    case 0xD0: p.result = NASetController(na, nc, kControllerAfterTouch, d1 * 256); break;
    case 0xE0: p.result = NASetController(na, nc, kControllerPitchBend, QuickTimeBendValue(d1, d2, p.bendRange)); break;
    default: break;
  }
  return 0;
}

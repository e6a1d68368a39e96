#include "sequencer/midi/mtc_receiver.h"

#include <algorithm>

#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/midi/midi_clock_out.h"
#include "sequencer/midi/midi_output.h"
#include "sequencer/midi/mmc_sender.h"
#include "sequencer/transport/counter_buttons.h"
#include "sequencer/transport/playback_control.h"
#include "song/conductor/tempo_tables.h"

uint8_t gMtcState = 0;
uint8_t gMtcJumpLimit = kMtcDefaultJumpLimit;
std::atomic<int64_t> gMtcReceivedPosition{-1};

namespace {

TransportClock& C() { return gTransportClock; }

constexpr int32_t kSysExRing = 16;
constexpr uint8_t kPlayBitNewTimeCode = 0x10;
constexpr uint32_t kQuarterFrameSubframes = 20;
constexpr int16_t kMaxDebtSubframes = 32767;

// MIDI-thread state.
uint8_t gAssembly[4] = {};  // hours (with rate bits), minutes, seconds, frames
uint8_t gSysEx[kSysExRing] = {};
int32_t gSysExIndex = 0;
bool gWantPiece = false;
int64_t gLastPosition = -1;
uint8_t gJumpCount = 0, gJumpLimitNow = kMtcDefaultJumpLimit;

// Published to the main thread: the last completed time code and the count of them.
std::atomic<uint32_t> gCompletedCode{0};  // hours, minutes, seconds, frames; bit 7 of hours: quarter frames
std::atomic<uint32_t> gCompletedCount{0};

void Publish(const uint8_t (&tc)[4], bool quarterFrames) {
  uint32_t packed = uint32_t(tc[0] & 0x7F) << 24 | uint32_t(tc[1]) << 16 | uint32_t(tc[2]) << 8 | tc[3];
  if (quarterFrames) packed |= 0x80000000u;
  gCompletedCode.store(packed, std::memory_order_relaxed);
  gCompletedCount.fetch_add(1, std::memory_order_release);
  gMtcState |= kMtcReceived;
}

ReceivedTimeCode Unpack(uint32_t packed) {
  ReceivedTimeCode tc;
  tc.record.hours = uint8_t(packed >> 24) & 0x1F;
  tc.record.minutes = uint8_t(packed >> 16);
  tc.record.seconds = uint8_t(packed >> 8);
  tc.record.frames = uint8_t(packed);
  tc.rateCode = uint8_t(packed >> 29) & 3;
  tc.fromQuarterFrames = (packed & 0x80000000u) != 0;
  return tc;
}

// The position of a time code at the program's frame rate, or -1 when it came at another
// rate (the main thread changes the rate first).
int64_t PositionAtProgramRate(const uint8_t (&tc)[4], bool quarterFrames) {
  ReceivedTimeCode r = Unpack(uint32_t(tc[0] & 0x7F) << 24 | uint32_t(tc[1]) << 16 |
                              uint32_t(tc[2]) << 8 | tc[3] | (quarterFrames ? 0x80000000u : 0));
  if (r.rateCode != gSmpteRateCode) return -1;
  return ReceivedTimeCodeSubframes(r);
}

void CompleteQuarterFrames() {
  Publish(gAssembly, true);
  if (!(C().playBits & kPlayBitNewTimeCode)) {
    AdvanceReceivedPosition();  // a time code begun without its first piece: only time passed
    return;
  }
  C().playBits &= uint8_t(~kPlayBitNewTimeCode);
  int64_t position = PositionAtProgramRate(gAssembly, true);
  if (position < 0) return;
  gMtcReceivedPosition.store(position, std::memory_order_relaxed);
  SetSyncDebtFromSubframes(position);
}

// Every piece is a quarter frame later than the one before it; the eighth completes the time
// code and places the position again.
void TakePiece(uint8_t data) {
  uint8_t value = data & 0x0F;
  uint8_t piece = (data >> 4) & 7;
  if (piece != 7) AdvanceReceivedPosition();
  switch (piece) {
    case 0: gAssembly[3] = uint8_t((gAssembly[3] & 0xF0) | value); C().playBits |= kPlayBitNewTimeCode; break;
    case 1: gAssembly[3] = uint8_t((gAssembly[3] & 0x0F) | (value & 1) << 4); break;
    case 2: gAssembly[2] = uint8_t((gAssembly[2] & 0xF0) | value); break;
    case 3: gAssembly[2] = uint8_t((gAssembly[2] & 0x0F) | (value & 3) << 4); break;
    case 4: gAssembly[1] = uint8_t((gAssembly[1] & 0xF0) | value); break;
    case 5: gAssembly[1] = uint8_t((gAssembly[1] & 0x0F) | (value & 3) << 4); break;
    case 6: gAssembly[0] = uint8_t((gAssembly[0] & 0xF0) | value); break;
    default:
      gAssembly[0] = uint8_t((gAssembly[0] & 0x0F) | (value & 1) << 4 | (value & 6) << 4);
      CompleteQuarterFrames();
      break;
  }
}

void StartQuarterFrame() {
  if (!gAudioClockMode) {
    gAudioClockMode = 1;
    gMtcReceivedPosition.store(-1, std::memory_order_relaxed);
    C().syncRunning = 0;
    C().syncStarted = 0;
    C().flags.fetch_or(kClockFlagExternalStart);
    if (gClockButtonByte.load(std::memory_order_relaxed) != 0 && IsClockTaskPlaying()) HaltSequencerTicks();
  }
  // A stop pressed while time code runs blocks the start the reference would make.
  if (gClockButtonByte.load(std::memory_order_relaxed) & (1u << kCounterButtonStop))
    C().flags.fetch_or(kClockFlagStartBlocked);
  gMtcState |= kMtcQuarterFrameInProgress;
  if (gMachineControl && gMtcReceivedPosition.load(std::memory_order_relaxed) < 0 && C().syncRunning)
    StartMtcFollow();
  gWantPiece = true;
}

// F0 7F dev 01 01 hh mm ss ff F7: a full frame is a locate.
void TakeFullFrame() {
  if (gSysExIndex < 10 || gSysEx[1] != 0x7F || gSysEx[3] != 0x01 || gSysEx[4] != 0x01) return;
  const uint8_t tc[4] = {uint8_t(gSysEx[5] & 0x7F), gSysEx[6], gSysEx[7], gSysEx[8]};
  Publish(tc, false);
  gMtcReceivedPosition.store(PositionAtProgramRate(tc, false), std::memory_order_relaxed);
  C().playBits &= uint8_t(~kPlayBitNewTimeCode);
  gClockSecondSyncByte = 0;
  if (!gMachineControl) C().runBits |= 1;
  gAudioClockMode = 1;
  // A running pass stops at the locate; a stopped one only moves (FollowReceivedTimeCode).
  if (IsClockTaskPlaying()) HaltSequencerTicks();
}

bool TakeSysExByte(uint8_t byte) {
  if (byte == 0xF7) {
    if (gSysExIndex < kSysExRing) gSysEx[gSysExIndex++] = byte;
    TakeFullFrame();
    gMtcState &= uint8_t(~kMtcInSysEx);
    return true;
  }
  if (byte > 0x7F) {
    gMtcState &= uint8_t(~kMtcInSysEx);
    return false;
  }
  if (gSysExIndex < kSysExRing) gSysEx[gSysExIndex++] = byte;
  return true;
}

}  // namespace

bool ReceiveMtcByte(uint8_t byte) {
  if (gMtcState & kMtcInSysEx) {
    if (TakeSysExByte(byte)) return true;
  }
  if (byte == 0xF0) {
    gMtcState |= kMtcInSysEx;
    gSysEx[0] = byte;
    gSysExIndex = 1;
    return true;
  }
  if (byte == 0xF1) {
    StartQuarterFrame();
    return true;
  }
  if (gWantPiece && byte < 0x80) {
    gWantPiece = false;
    gMtcState &= uint8_t(~kMtcQuarterFrameInProgress);
    TakePiece(byte);
    return true;
  }
  gWantPiece = false;
  return false;
}

int32_t ReceiveMtcMessage(const uint8_t* bytes, int32_t count, uint32_t, uint64_t) {
  if (count <= 0) return 0;
  if (bytes[0] >= 0xF8) return 0;  // real-time bytes mean nothing to a time-code follower
  bool took = false;
  for (int32_t i = 0; i < count; ++i) took = ReceiveMtcByte(bytes[i]) || took;
  return took ? 0 : 1;
}

void SetSyncDebtFromSubframes(int64_t subframes) {
  if (!gAudioClockMode || (C().playBits & 0x80)) C().runBits |= 1;
  if (!C().syncStarted) {
    C().tickDebt = kSyncDebtWait;
    gLastPosition = subframes;
    return;
  }
  int64_t d = subframes - int64_t(gRealTimePosition >> 16);
  if (d != 0 && (d > kMtcJumpSubframes || d < -kMtcJumpSubframes) && ++gJumpCount < gJumpLimitNow) {
    gLastPosition = subframes;  // a jump: remembered, corrected only when it persists
    return;
  }
  if (d == 0) gJumpLimitNow = gMtcJumpLimit;
  if (d == 0 || gJumpCount >= gJumpLimitNow) gJumpCount = 0;
  uint32_t increment = C().subframeIncrement;
  uint32_t k = (increment >> 16) + ((increment & 0xFFFF) >= 0x8000 ? 1 : 0);
  if (k > 1) d = std::clamp<int64_t>(d, -kMaxDebtSubframes, kMaxDebtSubframes) / int64_t(k);
  C().tickDebt = int16_t(std::clamp<int64_t>(d, -kMaxDebtSubframes, kMaxDebtSubframes));
  gLastPosition = subframes;
}

void StartMtcFollow() {
  gJumpLimitNow = gMtcJumpLimit;
  gJumpCount = 0;
  C().tickDebt = kSyncDebtWait;
  C().syncRunning = 1;
}

void SetMtcJumpLimitNow(uint8_t limit) { gJumpLimitNow = limit; }

void AdvanceReceivedPosition() {
  int64_t p = gMtcReceivedPosition.load(std::memory_order_relaxed);
  if (p >= 0) gMtcReceivedPosition.store(p + kQuarterFrameSubframes, std::memory_order_relaxed);
}

bool TakeReceivedTimeCode(uint32_t* count, ReceivedTimeCode* out) {
  uint32_t now = gCompletedCount.load(std::memory_order_acquire);
  if (now == *count) return false;
  *count = now;
  *out = Unpack(gCompletedCode.load(std::memory_order_relaxed));
  return true;
}

int64_t ReceivedTimeCodeSubframes(const ReceivedTimeCode& tc) {
  int64_t s = int64_t(TimecodeToSubframesWithBase(tc.record, 0)) - int64_t(gSongStartOffset);
  if (tc.fromQuarterFrames) s += kMtcQuarterFrameLead;
  return s < 0 ? 0 : s;
}

void ResetMtcReceiver() {
  gMtcState = 0;
  gSysExIndex = 0;
  gWantPiece = false;
  gJumpCount = 0;
  gJumpLimitNow = gMtcJumpLimit;
  gMtcReceivedPosition.store(-1, std::memory_order_relaxed);
}

namespace {

int32_t PacketDataBytes(const MidiMessage& packet) {
  if (packet.length < kMidiMessageHeader) return 0;
  return std::min<int32_t>(packet.length - kMidiMessageHeader, kMidiMessageMaxBytes);
}

}  // namespace

int32_t ParseMtcPacket(const MidiMessage& packet) {
  int32_t count = PacketDataBytes(packet), i = 0;
  for (; i < count; ++i) {
    if (!ReceiveMtcByte(packet.bytes[i]) && !(gMtcState & kMtcInSysEx)) break;
  }
  return i;
}

int32_t ParseMidiClockPacket(const MidiMessage& packet) {
  int32_t count = PacketDataBytes(packet), i = 0;
  for (; i < count; ++i) {
    if (ReceiveMidiClockByte(packet.bytes[i]) != 0) break;
  }
  return i;
}

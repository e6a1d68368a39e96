#include "sequencer/midi/mmc_sender.h"

#include <cmath>
#include <cstring>

#include "platform/system/host_time.h"
#include "sequencer/clock/time_code_format.h"
#include "sequencer/clock/transport_clock.h"
#include "song/conductor/conductor_time.h"
#include "song/conductor/tempo_tables.h"
#include "song/model/song_context.h"

uint8_t gMmcDeviceId = kMmcAllDevices;
uint8_t gMachineControl = 0;
int16_t gMmcEnabled = 0;
uint8_t gMmcResetSent = 0;
uint8_t gMmcRecording = 0;
uint32_t gMmcMinGapMilliseconds = 0;
uint64_t gMmcLastMessageMilliseconds = 0;
int32_t gMmcOffsetFrames = 0;
DriverProcId gMmcOutputSend = kNoDriverProc;
uint8_t gMmcOutputPort = 0;
uint32_t gPunchInTick = 0, gPunchOutTick = 0;
uint8_t gPunchEnabled = 0;
uint8_t gPunchedIn = 0;

namespace {

uint8_t gBuffer[kMmcBufferSize];
int32_t gLength = 0;

bool MaySend() { return gMmcEnabled != 0 && gMachineControl != 0; }

void PutTimeRegister(uint8_t reg, uint32_t tick) {
  MmcPutByte(reg);
  MmcPutTime(tick, false, true);
}

void SendCommand(uint8_t command) {
  MmcBegin(true);
  MmcPutCommand(command);
  MmcEnd();
}

// The subframes of a tick in the playing song, or while stopped the current song (0 without
// one): a locate before Play is timed by the song that is about to play.
uint32_t TickToSubframes(uint32_t tick) {
  Handle song = gTransportClock.playingSong;
  if (!song || !*song) song = gCurrentSongHandle;
  if (!song || !*song) return 0;
  double s = TickToSubframesExact(reinterpret_cast<uint8_t*>(*song), tick);
  if (!(s > 0.0)) return 0;
  return s >= 4294967295.0 ? 0xFFFFFFFFu : uint32_t(std::llround(s));
}

}  // namespace

void MmcBegin(bool broadcast) {
  gLength = 0;
  uint8_t dev = (broadcast || gMmcDeviceId > 126) ? kMmcAllDevices : gMmcDeviceId;
  MmcPutByte(0xF0);
  MmcPutByte(0x7F);
  MmcPutByte(dev);
  MmcPutByte(0x06);
}

int32_t MmcPutByte(uint8_t byte) {
  if (gLength < kMmcBufferSize) gBuffer[gLength++] = byte;
  return gLength;
}

int32_t MmcPutCommand(uint8_t command) { return MmcPutByte(command); }

int32_t MmcPutTime(uint32_t tick, bool timeOnly, bool withOffset) {
  int64_t subframes = TickToSubframes(tick);
  if (withOffset) subframes -= int64_t(gMmcOffsetFrames) * 80;
  if (subframes < 0) subframes = 0;
  TimeCodeFields f;
  FormatTimeCode(uint32_t(subframes), &f);
  if (!timeOnly) {
    MmcPutByte(uint8_t((f.hours & 0x1F) | GetMmcRateIndex()));
    MmcPutByte(f.minutes);
    MmcPutByte(f.seconds);
  }
  MmcPutByte(f.frames);
  return MmcPutByte(0);
}

void MmcEnd() {
  MmcPutByte(0xF7);
  if (gMmcMinGapMilliseconds != 0) {
    uint32_t gap = gMmcMinGapMilliseconds > kMmcMaxGapMilliseconds ? kMmcMaxGapMilliseconds
                                                                    : gMmcMinGapMilliseconds;
    // Bounded by the gap: the clock is monotonic.
    while (GetMillisecondClock() < gMmcLastMessageMilliseconds + gap) {
    }
  }
  MmcSendBuffer(gBuffer, gLength);
  // The gap runs from the moment the last message was handed on, so a send delayed by a busy
  // machine still leaves the receiver the whole gap before the next one.
  if (gMmcMinGapMilliseconds != 0) gMmcLastMessageMilliseconds = GetMillisecondClock();
}

void MmcSendBuffer(const uint8_t* bytes, int32_t count) {
  if (count < 0) return;
  if (count > kMmcBufferSize) count = kMmcBufferSize;
  uint8_t record[6 + kMmcBufferSize] = {0x80, uint8_t(count + 6), 0, 0, 0, 0};
  std::memcpy(record + 6, bytes, size_t(count));
  InvokeSendCallback(gMmcOutputSend, record, gMmcOutputPort);
}

const uint8_t* MmcBufferBytes(int32_t* length) {
  *length = gLength;
  return gBuffer;
}

void MmcResetOnce() {
  if (!MaySend() || gMmcResetSent) return;
  SendCommand(kMmcReset);
  gMmcResetSent = 1;
}

void MmcSetup() {
  if (!MaySend()) return;
  uint8_t id = GetMmcDeviceId();
  MmcBegin(true);
  for (uint8_t b : {kMmcUpdateRate, uint8_t(0x01), id}) MmcPutByte(b);
  MmcEnd();
  if (id == kMmcAllDevices) return;
  MmcBegin(false);
  for (uint8_t b : {uint8_t(kMmcWrite), uint8_t(0x04), uint8_t(0x5F), uint8_t(0x02), uint8_t(0x00), uint8_t(0x01)})
    MmcPutByte(b);
  MmcEnd();
  MmcBegin(false);
  for (uint8_t b : {kMmcTimecodeCommand, uint8_t(0x01), uint8_t(0x02)}) MmcPutByte(b);
  MmcEnd();
}

void MmcLocate(uint32_t tick) {
  if (!MaySend()) return;
  MmcBegin(true);
  for (uint8_t b : {kMmcLocate, uint8_t(0x06), uint8_t(0x01)}) MmcPutByte(b);
  MmcPutTime(tick, false, true);
  MmcEnd();
}

void MmcLocateAndPlay(uint32_t tick) {
  if (!MaySend()) return;
  MmcLocate(tick);
  uint32_t in = 0, out = 0;
  if (GetPunchRange(&in, &out)) MmcSetPunch(in, out);
  SendCommand(kMmcDeferredPlay);
}

void MmcSetPunch(uint32_t in, uint32_t out) {
  if (!MaySend()) return;
  if (in == 0 && out == 0) {
    for (uint8_t which : {uint8_t(0x01), uint8_t(0x02)}) {
      MmcBegin(true);
      for (uint8_t b : {kMmcEvent, uint8_t(0x02), uint8_t(0x01), which}) MmcPutByte(b);
      MmcEnd();
    }
  }
  MmcBegin(true);
  MmcPutByte(kMmcWrite);
  MmcPutByte(0x0C);
  PutTimeRegister(0x09, in);
  PutTimeRegister(0x0A, out);
  MmcEnd();
  MmcBegin(true);
  for (uint8_t b : {0x51, 0x06, 0x00, 0x01, 0x00, 0x01, 0x09, 0x06}) MmcPutByte(uint8_t(b));
  MmcEnd();
  MmcBegin(true);
  for (uint8_t b : {0x51, 0x06, 0x00, 0x02, 0x00, 0x01, 0x0A, 0x07}) MmcPutByte(uint8_t(b));
  MmcEnd();
}

void MmcRecord(bool on, bool force) {
  if (!MaySend()) return;
  if (gPunchEnabled && !force) return;
  SendCommand(on ? kMmcRecordStrobe : kMmcRecordExit);
  gMmcRecording = on ? 1 : 0;
}

void MmcStop() {
  if (!MaySend()) return;
  SendCommand(kMmcStop);
}

void MmcUpdatePunch() {
  if (!MaySend() || !IsPunchedIn()) return;
  uint32_t in = 0, out = 0;
  bool want = true;
  if (GetPunchRange(&in, &out)) {
    uint32_t tick = GetSongTickNow();
    want = tick >= in && tick < out;
  }
  if (want != (gMmcRecording != 0)) MmcRecord(want, true);
}

bool IsPunchedIn() { return gPunchedIn != 0; }

bool GetPunchRange(uint32_t* in, uint32_t* out) {
  *in = gPunchInTick;
  *out = gPunchOutTick;
  return gPunchEnabled != 0 && gPunchOutTick > gPunchInTick;
}

uint8_t GetMmcDeviceId() { return gMmcDeviceId > 126 ? kMmcAllDevices : gMmcDeviceId; }
bool IsMachineControlOn() { return gMachineControl != 0; }

uint8_t GetMmcRateIndex() {
  static const uint8_t kBits[4] = {0x00, 0x20, 0x40, 0x60};
  return kBits[gSmpteRateCode > 3 ? 3 : gSmpteRateCode];
}

uint32_t GetSongTickNow() { return gTransportClock.songTick; }

uint64_t GetMillisecondClock() { return HostTimeNanos() / 1000000u; }

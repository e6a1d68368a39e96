#include "audio/streams/stream_refill.h"

#include <algorithm>
#include <cstring>

#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_file_requests.h"
#include "audio/engine/region_lookup.h"
#include "audio/render/channel_render.h"
#include "audio/render/mix_cycle.h"
#include "audio/streams/stream_reads.h"
#include "platform/memory/byte_order.h"
#include "platform/system/host_time.h"
#include "platform/threads/thread_pauses.h"
#include "sequencer/clock/transport_clock.h"

namespace {

constexpr uint8_t kEditStateLast = 11;
constexpr uint32_t kLocatePollMicros = 200;

// Samples at one rate as samples at another (the same when either is unknown).
int64_t Rescale(int64_t position, float from, float to) {
  if (from <= 0.0f || to <= 0.0f || from == to) return position;
  return int64_t(double(position) * double(to) / double(from) + 0.5);
}

// One region's part of the read: `bytes` at the region's file position for the walk's frame,
// into `out`. Answers false when the read failed (the rest of `bytes` is then silent).
bool ReadRegionPart(EngineChannel* c, const uint8_t* region, int64_t frameInRegion, uint8_t* out, int32_t bytes,
                    int32_t half, uint8_t* data) {
  StreamFileRequest request;  // served at once on this thread: no pool entry is held
  int16_t fork = int16_t(ReadU32BE(region + kRegionCopyForkAt));
  request.forkRefNum = fork ? fork : c->fileRequest.forkRefNum;
  request.positionMode = kStreamReadMode;
  request.buffer = out;
  int64_t fileOffset = int64_t(ReadU32BE(region + kRegionFileOffsetAt));
  SetRequestPosition(&request, fileOffset + frameInRegion * c->inputBytesPerFrame);
  ReadRegionData(region, 0, &request, bytes, data, half, nullptr);
  return request.result.load(std::memory_order_acquire) >= 0;
}

// The region walk: up to `wanted` bytes of whole frames from the walk's position on, region
// after region. Answers the bytes that hold the track's material (silent regions included);
// past the last region nothing more comes, unless the channel loops.
int32_t ReadFromRegions(EngineChannel* c, int32_t half, uint8_t* out, int32_t wanted, uint8_t* data) {
  const int32_t frameBytes = c->inputBytesPerFrame;
  if (frameBytes <= 0 || !out || wanted <= 0) return 0;
  int32_t done = 0;
  bool wrapped = false;
  while (wanted - done >= frameBytes) {
    int64_t start = 0, end = 0;
    int32_t index = FindRegionAtPosition(c->refillPosition, &start, &end, c->regionList);
    if (index < 0) {
      if (!c->loop || wrapped || end <= 0) break;
      c->refillPosition = 0;  // a looping channel starts again at its first region
      wrapped = true;
      continue;
    }
    const uint8_t* region = reinterpret_cast<const uint8_t*>(*c->regionList) + size_t(index) * kRegionSize;
    int64_t frames = (wanted - done) / frameBytes;
    if (end - c->refillPosition < frames) frames = end - c->refillPosition;
    if (frames <= 0) break;
    int32_t bytes = int32_t(frames * frameBytes);
    c->regionStart[half] = start;
    c->regionEnd[half] = end;
    bool read = ReadRegionPart(c, region, c->refillPosition - start, out + done, bytes, half, data);
    done += bytes;
    c->refillPosition += frames;
    if (!read) break;  // the rest of the half stays silent; the error is latched
  }
  return done;
}

// A reverse channel's half holds, forwards, the frames that end at the walk's position (the mix
// cycle turns it round as it plays); the walk moves back by them. Before the track's start is
// silence, and so is anything after the last region. Answers the bytes the half covers.
int32_t ReadBackwards(EngineChannel* c, int32_t half, uint8_t* out, int32_t wanted, uint8_t* data) {
  const int32_t frameBytes = c->inputBytesPerFrame;
  if (frameBytes <= 0 || !out || wanted < frameBytes) return 0;
  int64_t frames = wanted / frameBytes;
  int64_t start = c->refillPosition - frames;
  int64_t lead = start < 0 ? -start : 0;  // frames before the track's start
  if (lead > frames) lead = frames;
  int32_t bytes = int32_t(frames * frameBytes);
  std::memset(out, 0, size_t(bytes));
  c->refillPosition = start + lead;
  uint8_t loop = c->loop;
  c->loop = 0;  // a span read backwards never wraps to the first region
  ReadFromRegions(c, half, out + lead * frameBytes, int32_t((frames - lead) * frameBytes), data);
  c->loop = loop;
  c->refillPosition = start + lead;
  return bytes;
}

// The raw bytes of a channel without a decoder are the engine's format, except for their byte
// order: the file's big-endian samples become host-endian.
void SwapToHost(const EngineChannel* c, uint8_t* bytes, int32_t count) {
  int32_t width = (c->sourceWidth + 7) / 8;
  if (width <= 1 || count <= 0) return;
  for (int32_t at = 0; at + width <= count; at += width) std::reverse(bytes + at, bytes + at + width);
}

// A locate left by the main thread, and a region list that changed under the walk.
void TakeLocateAndEdits(EngineChannel* c) {
  if (c->locatePending.exchange(0, std::memory_order_acq_rel))
    LocateStreamInRegions(c, c->locatePosition, c->regionList);
  if (c->editState == 0) return;
  c->editState = c->editState >= kEditStateLast ? 0 : uint8_t(c->editState + 1);
}

}  // namespace

int32_t FillStreamHalf(EngineChannel* c, int32_t half, void* buffer, uint8_t* ready) {
  if (!c || !buffer) return 0;
  half &= 1;
  TakeLocateAndEdits(c);
  const bool decoder = c->decodeProc != nullptr;
  uint8_t* raw = decoder ? c->inputBuffers[half] : static_cast<uint8_t*>(buffer);
  int32_t wanted = decoder ? c->inputBytesPerCall : c->decodedBlockBytes;
  uint8_t data = 0;
  int32_t got = 0;
  if (c->reverse) {
    got = ReadBackwards(c, half, raw, wanted, &data);
    c->halfAtEnd[half] = c->refillPosition <= 0 ? 1 : 0;
  } else {
    got = ReadFromRegions(c, half, raw, wanted, &data);
    c->halfAtEnd[half] = got < wanted ? 1 : 0;
  }
  if (!decoder) {
    if (got < c->decodedBlockBytes) std::memset(static_cast<uint8_t*>(buffer) + got, 0, size_t(c->decodedBlockBytes - got));
    SwapToHost(c, raw, got);
  } else {
    // A decoder that reads its whole input block finds silence after the material, never the
    // input of an earlier half.
    if (raw && got < wanted) std::memset(raw + got, 0, size_t(wanted - got));
    c->halfInputBytes[half] = uint32_t(got);
    int16_t err = c->decodeProc(c, half, buffer, &c->halfAtEnd[half]);
    if (err != 0) {  // what the decoder could not make is silence, never the last half again
      std::memset(buffer, 0, size_t(c->decodedBlockBytes > 0 ? c->decodedBlockBytes : 0));
      data = 0;
      LatchAudioEngineError(err);
    }
  }
  *ready = data;
  return 0;
}

int32_t LocateStreamInRegions(EngineChannel* c, int64_t position, Handle regionList) {
  if (!c) return -1;
  c->lateCounters[0] = c->lateCounters[1] = 0;
  c->refillPosition = Rescale(position < 0 ? 0 : position, c->sampleRate, c->sourceRate);
  int64_t start = 0, end = 0;
  int32_t index = regionList ? FindRegionAtPosition(c->refillPosition, &start, &end, regionList) : -1;
  bool takesInput = !c->renderState || c->renderState->inputChannels > 0;
  c->streaming = index >= 0 && takesInput ? 1 : 0;
  c->regionStart[0] = c->regionStart[1] = start;
  c->regionEnd[0] = c->regionEnd[1] = end;
  return index;
}

int64_t RelocateStream(EngineChannel* c, int64_t position) {
  if (!c) return 0;
  if (position < 0) position = 0;
  int64_t loopLength = c->loopEnd - c->loopStart;
  if (c->loop && loopLength > 0 && position >= c->loopEnd)
    position = c->loopStart + (position - c->loopStart) % loopLength;
  c->position = position;
  c->locatePosition = position;  // LocateStreamInRegions takes it to the file's rate
  c->locatePending.store(1, std::memory_order_release);
  return position;
}

bool WaitForStreamsAfterLocate(uint32_t timeoutMillis) {
  bool marked = false;
  for (int32_t i = 0; i < gEngineChannelCount && i < kEngineChannelSlots; ++i) {
    const EngineChannel* c = gEngineChannelLists[i];
    if (c && !c->stopped && c->locatePending.load(std::memory_order_acquire)) marked = true;
  }
  if (!marked) return true;
  gRefillPending.store(1);
  UInt64 deadline = HostTimeNanos() + UInt64(timeoutMillis) * 1000000u;
  while (gRefillPending.load() != 0) {
    if (gTransportClock.flags.load() & kClockFlagHalted) return false;
    if (HostTimeNanos() >= deadline) return false;
    PauseThreadMicros(kLocatePollMicros);
  }
  return true;
}

#include "media/track_audio/track_audio.h"

#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_play_state.h"
#include "media/background_jobs.h"
#include "platform/memory/memory.h"
#include "plugins/host/insert_racks.h"
#include "sequencer/transport/song_modes.h"
#include "song/prefs/song_file_options.h"
#include "shell/base/memory_reserve.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_settings.h"
#include "song/model/utility_iteration.h"

RGBColor gDefaultWaveformColor = {0, 0, 0};

namespace {

// The link to the next block of an overview chain (a handle word in each block's header).
constexpr int32_t kOverviewBlockNextAt = 72;
constexpr uint16_t kColorByteScale = 256;

Handle SlotHandle(const uint8_t* slot) { return Handle(ReadU32BE(slot)); }

Handle NextOverviewBlock(Handle block) {
  if (GetHandleSize(block) < kOverviewBlockNextAt + 4) return Handle();
  return Handle(ReadU32BE(HandleData(block) + kOverviewBlockNextAt));
}

void SetNextOverviewBlock(Handle block, Handle next) {
  if (GetHandleSize(block) >= kOverviewBlockNextAt + 4) WriteU32BE(HandleData(block) + kOverviewBlockNextAt, next.id);
}

Handle MainTrackAudio() {
  return gCurrentTrack ? TrackEntryView(gCurrentTrack).RegionList() : Handle();
}

}  // namespace

TrackAudioView ViewTrackAudio(Handle record) {
  if (!record || !IsValidHandle(record) || GetHandleSize(record) < kTrackAudioBytes) return TrackAudioView(nullptr);
  return TrackAudioView(HandleData(record));
}

OSErr AllocTrackAudio(uint8_t* slot) {
  Handle record = NewHandleClearWithReserve(kTrackAudioBytes);
  WriteU32BE(slot, record.id);
  if (!record) return memFullErr;
  SetTrackAudioColor(record, gDefaultWaveformColor);
  return noErr;
}

OSErr NewTrackAudio() {
  if (!gCurrentTrack) return paramErr;
  return AllocTrackAudio(gCurrentTrack + kTrackRegionList);
}

void DisposeTrackAudio(uint8_t* slot) {
  Handle record = SlotHandle(slot);
  WriteU32BE(slot, 0);
  if (!record || !IsValidHandle(record)) return;
  DisposeOverviewChain(record);
  DisposeRack(record);
}

void CopyTrackAudioOverview(Handle record, bool* failed) {
  TrackAudioView v = ViewTrackAudio(record);
  if (!v) return;
  if (v.OverviewState() == kOverviewQueued) {
    v.SetOverview(Handle());
    return;
  }
  uint8_t* cell = v.bytes() + kTrackAudioOverviewAt;
  while (!*failed && SlotHandle(cell)) {
    Handle copy = SlotHandle(cell);
    if (HandToHand(&copy) != noErr) {
      *failed = true;
      WriteU32BE(cell, 0);  // the rest of the chain stays with the original
      return;
    }
    WriteU32BE(cell, copy.id);
    if (GetHandleSize(copy) < kOverviewBlockNextAt + 4) return;
    cell = reinterpret_cast<uint8_t*>(HandleData(copy)) + kOverviewBlockNextAt;
  }
}

Handle TrackAudioIfReady(Handle record) {
  TrackAudioView v = ViewTrackAudio(record);
  return v && v.Regions() ? record : Handle();
}

Handle GetTrackAudio() { return TrackAudioIfReady(MainTrackAudio()); }

Handle GetActiveTrackAudioRecord() {
  return gCurrentTrack ? TrackAudioIfReady(GetActiveRegionList()) : Handle();
}

bool HasTrackAudio() { return IsSongModeOne() && GetTrackAudio(); }

bool IsMainTrackAudioReady() { return DoesSongAllowStepInput() && GetTrackAudio(); }

EngineChannel* GetTrackAudioChannel(Handle record) {
  TrackAudioView v = ViewTrackAudio(record);
  if (!v) return nullptr;
  if (uint32_t id = v.EngineChannelId()) return FindEngineChannelById(id);
  if (gAudioEnginePlayState != 1 || v.ChannelId() == 0) return nullptr;
  return FindEngineChannelById(v.ChannelId());
}

namespace {

void WidenWaveformColor(const uint8_t* rgb, RGBColor* color) {
  color->red = uint16_t(rgb[0] * kColorByteScale);
  color->green = uint16_t(rgb[1] * kColorByteScale);
  color->blue = uint16_t(rgb[2] * kColorByteScale);
}

void NarrowWaveformColor(const RGBColor& color, uint8_t* rgb) {
  rgb[0] = uint8_t(color.red >> 8);
  rgb[1] = uint8_t(color.green >> 8);
  rgb[2] = uint8_t(color.blue >> 8);
}

}  // namespace

void GetTrackAudioColor(Handle record, RGBColor* color) {
  TrackAudioView v = ViewTrackAudio(record);
  if (v) WidenWaveformColor(v.bytes() + kTrackAudioColorAt, color);
}

void SetTrackAudioColor(Handle record, const RGBColor& color) {
  TrackAudioView v = ViewTrackAudio(record);
  if (v) NarrowWaveformColor(color, v.bytes() + kTrackAudioColorAt);
}

void DisposeOverviewChain(Handle record) {
  TrackAudioView v = ViewTrackAudio(record);
  if (!v) return;
  Handle block = v.Overview();
  v.SetOverview(Handle());
  while (block && IsValidHandle(block)) {
    Handle next = NextOverviewBlock(block);
    SetNextOverviewBlock(block, Handle());
    DisposeHandle(block);
    block = next;
  }
}

void ClearOverviewDirty() {
  Handle record = MainTrackAudio();
  TrackAudioView v = ViewTrackAudio(record);
  if (!v) return;
  v.SetOverviewState(kOverviewIdle);
  DisposeOverviewChain(record);
}

void SetTrackOverview(Handle record, Handle chain) {
  TrackAudioView v = ViewTrackAudio(record);
  if (!v) return;
  if (v.Overview() != chain) DisposeOverviewChain(record);
  v = ViewTrackAudio(record);
  v.SetOverviewState(kOverviewIdle);
  v.SetOverview(chain);
}

void StoreOverviewResult(Handle record, Handle chain) {
  TrackAudioView v = ViewTrackAudio(record);
  if (v && chain) {
    SetTrackOverview(record, chain);
  } else if (v) {
    if (v.OverviewState() >= 0 && !gOverviewWaitRequest) v.SetOverviewState(kOverviewGaveUp);
  } else if (chain) {
    // No record to take it: the blocks go.
    for (Handle block = chain; block && IsValidHandle(block);) {
      Handle next = NextOverviewBlock(block);
      DisposeHandle(block);
      block = next;
    }
  }
}

void ForgetTrackOverview() {
  ClearOverviewDirty();
  if (!TestPrefBit2()) return;
  TrackAudioView v = ViewTrackAudio(MainTrackAudio());
  if (!v || !v.OverviewAlias()) return;
  Handle alias = v.OverviewAlias();
  v.SetOverviewAlias(Handle());
  if (IsValidHandle(alias)) DisposeHandle(alias);
}

void DiscardAllOverviews() {
  ForEachTrack([](void*) -> int32_t {
    ForgetTrackOverview();
    return 0;
  }, nullptr);
}

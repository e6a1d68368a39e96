#include "audio/streams/stream_stop.h"

#include <atomic>
#include <cstring>

#include "audio/devices/audio_driver.h"
#include "audio/devices/coreaudio_io.h"
#include "audio/engine/automation_records.h"
#include "audio/engine/engine_play_state.h"
#include "audio/engine/engine_plugin_hooks.h"
#include "audio/engine/engine_thread.h"
#include "audio/render/channel_render.h"
#include "platform/memory/byte_order.h"
#include "platform/system/host_time.h"
#include "platform/threads/thread_pauses.h"
#include "sequencer/clock/note_off_queue.h"
#include "sequencer/midi/realtime_processors.h"
#include "song/instruments/plugin_hooks.h"
#include "song/instruments/rack_sharing.h"
#include "song/model/song_context.h"
#include "song/model/track_entries.h"
#include "song/model/utility_track_access.h"

namespace {

constexpr uint8_t kFadeOut = kFadeStateOutThenWait;
constexpr uint8_t kFadeDone = kFadeStateRest;
constexpr uint8_t kFadeInNext = kFadeStateIn;
constexpr uint8_t kFadeSlot = 1;
constexpr uint8_t kSustainController = 64;
constexpr uint8_t kProcessorKindPlugin = 20;
constexpr uint8_t kProcessorKindRewire = 21;
constexpr uint32_t kPollMicros = 1000;

std::atomic_ref<uint8_t> BusyByte(ChannelRenderState* state) { return std::atomic_ref<uint8_t>(state->busy); }

uint8_t FadeState(EngineChannel* c) { return std::atomic_ref<uint8_t>(c->fadeState).load(std::memory_order_acquire); }
void SetFadeState(EngineChannel* c, uint8_t state) {
  std::atomic_ref<uint8_t>(c->fadeState).store(state, std::memory_order_release);
}
bool Stopped(EngineChannel* c) { return std::atomic_ref<uint8_t>(c->stopped).load(std::memory_order_acquire) != 0; }

bool TicksPassed(uint32_t since, uint32_t ticks) { return TickCount() - since >= ticks; }

// The rack's automation cursor back at its first point, under the channel's lock; when the lock
// stays busy past its bound the cursor is left as it is.
void RewindAutomation(EngineChannel* c) {
  if (!TakeAutomationLock(c)) return;
  c->automationCursor = c->automation ? reinterpret_cast<uint8_t*>(*c->automation) : nullptr;
  ReleaseAutomationLock(c);
}

// The decoded halves silent, the decoder gone, a finished fade turned into a fade-in.
void SilenceStream(EngineChannel* c) {
  c->started = 0;
  if (c->decodeProc) c->decodeProc = NullDecode;
  if (c->reader) c->reader = NullStreamRead;
  for (void* half : c->halfBuffer) {
    if (half && c->decodedBlockBytes > 0) std::memset(half, 0, size_t(c->decodedBlockBytes));
  }
  if (FadeState(c) == kFadeDone) SetFadeState(c, kFadeInNext);
}

void SendSustainOff(ChannelRenderState* state) {
  for (uint8_t channel = 0; channel < 16; ++channel)
    state->midiSend(state->midiSendArgument, uint8_t(0xB0 | channel), kSustainController, 0);
}

int32_t ChannelsToPlay(const EngineChannel* c) {
  if (IsInstrumentChannel(c)) return 0;
  return c->renderState ? c->renderState->inputChannels : 1;
}

int32_t MarkInstrumentBusy(EngineChannel* c, void*) {
  if (c && IsInstrumentChannel(c) && !Stopped(c)) BusyByte(c->renderState).store(1, std::memory_order_release);
  return 0;
}

int32_t WaitForInstrument(EngineChannel* c, void* startTick) {
  if (c && IsInstrumentChannel(c)) WaitForDeviceIdle(c, *static_cast<uint32_t*>(startTick));
  return 0;
}

void FlushPluginNoteOffs() {
  for (RealtimeProcessor* p = gRealtimeProcessors; p; p = p->next) {
    if (p->deviceKind == kProcessorKindPlugin || p->deviceKind == kProcessorKindRewire) FlushNoteOffsForOwner(p, true);
  }
}

void StartFades() {
  for (int32_t i = 0; i < gEngineChannelCount && i < kEngineChannelSlots; ++i) {
    EngineChannel* c = gEngineChannelLists[i];
    if (!c) continue;
    if (c->slotRecord) {
      c->heldBlocks[0] = c->heldBlocks[1] = 0;
      if (!c->noFade) SetFadeState(c, kFadeSlot);
    } else if (!Stopped(c) && ChannelsToPlay(c) > 0 && FadeState(c) < 4) {
      SetFadeState(c, kFadeOut);
    }
  }
}

// Waits while the channel plays until its fade finished (state 0 or 8), at most the bound.
void WaitForFade(EngineChannel* c) {
  uint32_t start = TickCount();
  for (;;) {
    uint8_t state = FadeState(c);
    if (state == 0 || state == kFadeDone || Stopped(c) || TicksPassed(start, kFadeOutTicks)) return;
    if (state < kFadeOut || state > kFadeDone) SetFadeState(c, kFadeOut);
    PauseThreadMicros(kPollMicros);
  }
}

bool IoProceduresIdle() {
  return !gCoreAudioIO.outputGuard.test(std::memory_order_acquire) &&
         !gCoreAudioIO.inputGuard.test(std::memory_order_acquire);
}

// One pass over the lists; true when the disk worker is empty and no IO procedure runs.
bool StopPass(int32_t mode, bool first) {
  for (int32_t i = 0; i < gEngineChannelCount && i < kEngineChannelSlots; ++i) {
    EngineChannel* c = gEngineChannelLists[i];
    if (!c) continue;
    if (c->slotRecord) c->started = 0;
    else if (first && (mode == 1 || IsInstrumentChannel(c))) ResetEngineChannel(c, mode);
  }
  return CountEngineMessages(&gDiskQueue) == 0 && IoProceduresIdle();
}

}  // namespace

bool IsInstrumentChannel(const EngineChannel* c) {
  return c->renderState && (c->renderState->instrument || c->instrumentSource);
}

int16_t NullDecode(EngineChannel*, int32_t, void*, uint8_t*) { return 0; }

int32_t NullStreamRead(EngineChannel*, int32_t, void*, uint8_t*) { return 0; }

void ResetEngineChannel(EngineChannel* c, int32_t mode) {
  if (!c) return;
  if (!IsInstrumentChannel(c)) {
    if (mode == 0 || (!c->suspended && !c->stay)) c->stopped = 1;
  } else {
    RewindAutomation(c);
  }
  ChannelRenderState* state = c->renderState;
  if (!state) return;
  if (state->inputChannels > 0) SilenceStream(c);
  if (state->instrument && state->midiSend && mode != 0) SendSustainOff(state);
}

void FadeOutAllChannels() {
  FlushPluginNoteOffs();
  StartFades();
  ForEachInstrumentPlugin(MarkInstrumentBusy, nullptr);
  for (int32_t i = 0; i < gEngineChannelCount && i < kEngineChannelSlots; ++i) {
    EngineChannel* c = gEngineChannelLists[i];
    if (c && !c->slotRecord && FadeState(c) != 0 && FadeState(c) != kFadeDone) WaitForFade(c);
  }
  uint32_t now = TickCount();
  ForEachInstrumentPlugin(WaitForInstrument, &now);
}

int32_t WaitForDeviceIdle(EngineChannel* c, uint32_t startTick) {
  if (!c || !IsInstrumentChannel(c) || !(c->channelFlags & kChannelAudible)) return 0;
  while (BusyByte(c->renderState).load(std::memory_order_acquire) && !Stopped(c) &&
         !TicksPassed(startTick, kDeviceIdleTicks))
    PauseThreadMicros(kPollMicros);
  return 0;
}

void StopStreamsAndWait(int32_t mode, int32_t fade) {
  uint32_t start = TickCount();
  ReleasePluginChannelNotes();
  if (fade && GetAudioDriverState() >= kDriverWarmUp) {
    uint16_t play = gAudioEnginePlayState;
    if (play != 0 && play != 3 && play != 4) FadeOutAllChannels();
  }
  if (mode != 1) HoldEngineWorkers(true, kHoldWorkersMillis);
  for (bool first = true;; first = false) {
    if (StopPass(mode, first) || TicksPassed(start, kStopRestTicks)) return;
    PauseThreadMicros(kPollMicros);
  }
}

int32_t CountChannelsOnChain(uint32_t chain) {
  if (PushSongContext() != noErr) return 0;
  int32_t count = 0;
  for (int32_t i = 0; i < gEngineChannelCount && i < kEngineChannelSlots; ++i) {
    EngineChannel* c = gEngineChannelLists[i];
    if (!c || !IsInstrumentChannel(c) || !c->song || c->noTrack) continue;
    SetCurrentSong(c->song);
    int32_t index = 0;
    if (!FindTrackWithNumber(c->trackNumber, &index)) continue;
    gCurrentTrack = GetTrackEntryAt(index);
    Handle rack = GetTrackInsertRack();
    if (IsInsertRack(rack) && !IsInsertRackShared(rack) && ReadU32BE(*rack + kRackChainCell) == chain) ++count;
  }
  PopSongContext();
  return count;
}

#include "audio/engine/audio_edit_bracket.h"

#include <algorithm>

#include "audio/devices/audio_driver.h"
#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_play_state.h"
#include "audio/engine/region_lookup.h"
#include "audio/regions/region_lists.h"
#include "audio/regions/region_placement.h"
#include "audio/regions/region_spans.h"
#include "audio/streams/stream_refill.h"
#include "audio/streams/stream_regions.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "song/conductor/sample_position.h"
#include "song/model/audio_region.h"
#include "song/model/track_length.h"
#include "song/model/track_numbers.h"
#include "platform/system/host_time.h"
#include "platform/threads/thread_pauses.h"
#include "song/documents/playback_reset.h"

namespace {

constexpr uint8_t kRefillStateFirst = 9;
constexpr uint8_t kRefillStateDone = 11;
constexpr uint32_t kPollMicros = 10;
constexpr int32_t kTrackAudioEngineFlagsAt = 70;
constexpr uint32_t kEngineOneShotFlag = 0x01;

// Whether the bracket acts for this phase (and the nesting it leaves).
bool PhaseActs(EngineChannel* channel, int32_t phase) {
  switch (phase) {
    case kEditOpen: return ++channel->editNesting == 1;
    case kEditCloseAll: channel->editNesting = 1; [[fallthrough]];
    case kEditClose:
      // Only the close that ends the outermost bracket acts.
      if (channel->editNesting == 0) return false;
      return --channel->editNesting == 0;
    default: return false;
  }
}

bool EnginePlays(const EngineChannel* channel) { return gAudioEnginePlayState >= 2 && !channel->stopped; }

// Polls until done() or the bound passes; true when done() held.
template <typename Done>
bool WaitBounded(Done done) {
  UInt64 deadline = HostTimeNanos() + UInt64(kEditWaitMicros) * 1000;
  while (!done()) {
    if (HostTimeNanos() >= deadline) return false;
    PauseThreadMicros(kPollMicros);
  }
  return true;
}

// The disk's refill states are over, then the automation is not being read.
bool QuietenAutomation(EngineChannel* channel) {
  bool settled = true;
  if (channel->editState >= kRefillStateFirst) {
    settled = WaitBounded([channel] {
      uint8_t state = channel->editState;
      return state == kRefillStateDone || state < kRefillStateFirst || channel->stopped;
    });
  }
  uint32_t expected = 0;
  bool locked = WaitBounded([channel, &expected] {
    expected = 0;
    return channel->automationLock.compare_exchange_weak(expected, 1);
  });
  if (locked) channel->automationLock.store(0);
  channel->automationCursor = nullptr;
  return settled && locked;
}

// The rate the channel's positions count in: its device's, else its own.
float ChannelRate(const EngineChannel* channel) {
  return channel->device ? channel->device->sampleRate : channel->sampleRate;
}

// No refill of the channel is on its way (bounded): the walk may change hands.
bool WaitForRefillsOver(EngineChannel* channel) {
  return WaitBounded([channel] {
    return channel->stopped || (channel->halfRequested[0].load() == channel->halfCompleted[0].load() &&
                                channel->halfRequested[1].load() == channel->halfCompleted[1].load());
  });
}

// A record without regions: a channel that plays the current track as a copy of another is
// located at the track's end, any other stops.
void FollowMissingRegions(EngineChannel* channel, uint32_t t, float rate) {
  if (channel->trackNumber == channel->trackNumberCopy || gCurrentTrackNumber != channel->trackNumberCopy) {
    channel->stopped = 1;
    channel->startTick = 0;
    return;
  }
  channel->locateTick = int32_t(t);
  RelocateStream(channel, TickToSamplePosition(int32_t(t), rate));
  if (EnginePlays(channel)) WaitForStreamsAfterLocate(kLocateWaitMillis);
}

// The channel's play list built again from the record's list over the channel's span.
Handle BuildPlayList(EngineChannel* channel, Handle trackAudio, Handle list, float rate) {
  float listRate = TrackAudioRate(trackAudio);
  int64_t last = std::min(RegionListEnd(list), channel->rangeEnd > 0 ? channel->rangeEnd : RegionListEnd(list));
  uint32_t first = SamplePositionToTick(channel->rangeStart, rate);
  uint32_t end = std::max(SamplePositionToTick(last, listRate), first);
  Handle playList;
  if (BuildSpanRegions(trackAudio, first, end, 0, false, list, true, &playList, nullptr) != noErr) return Handle();
  PrepareStreamRegions(playList);
  HLock(playList);
  return playList;
}

// Resuming a playing channel after its regions changed: false when playback had to start over.
bool ResumeEditedChannel(EngineChannel* channel, Handle trackAudio, Handle list, uint32_t t, float rate) {
  uint32_t playTick = SamplePositionToTick(channel->position, rate);
  if (channel->streaming && t <= playTick) {
    ResetPlaybackState(1);  // the track now ends where it already played
    return false;
  }
  channel->startTick = int32_t(t);
  Handle playList = BuildPlayList(channel, trackAudio, list, rate);
  if (!playList) return true;  // no memory: the channel plays on with what it had
  WaitForRefillsOver(channel);
  Handle old = channel->regionList;
  channel->regionList = playList;
  int32_t count = CountAudioRegions(playList);
  channel->regionCount = int16_t(count > 0x7fff ? 0x7fff : count);
  // A refill that read the old list may have begun as it was swapped: free it only once over.
  if (old && WaitForRefillsOver(channel)) {
    ReleaseRegionBlocks(old);
    DisposeHandle(old);
  }
  return true;
}

// After an edit that is not a resume: the record's one-shot engine flag and its regions' marks.
void SettleRecord(Handle trackAudio, Handle list) {
  uint8_t* record = reinterpret_cast<uint8_t*>(*trackAudio);
  uint32_t flags = ReadU32BE(record + kTrackAudioEngineFlagsAt);
  if (flags & kEngineOneShotFlag) {
    WriteU32BE(record + kTrackAudioEngineFlagsAt, flags & ~kEngineOneShotFlag);
    ReleaseRegionBlocks(list);
  }
  HUnlock(list);
}

// Steps that follow the track audio record; false when playback started over (nothing stored).
bool FollowTrackAudio(EngineChannel* channel, Handle trackAudio, int32_t command) {
  float rate = ChannelRate(channel);
  Handle list = TrackAudioRegionList(trackAudio);
  // The track ends at its length, or where its audio ends when that is later (a track of
  // audio alone has no events to give it a length).
  uint32_t t = GetTrackLength();
  if (list) t = std::max(t, SamplePositionToTick(RegionListEnd(list), TrackAudioRate(trackAudio)));
  if (!list) FollowMissingRegions(channel, t, rate);
  else if (command == kEditResume && EnginePlays(channel) && !ResumeEditedChannel(channel, trackAudio, list, t, rate))
    return false;
  return true;
}

}  // namespace

bool AudioEditBracket(EngineChannel* channel, int32_t command, int32_t phase, Handle trackAudio) {
  if (channel == nullptr || !PhaseActs(channel, phase)) return false;
  // A channel that decodes through a converter cannot re-prime its halves in place: playback
  // starts over from the edited regions instead.
  if (command == kEditResume && EnginePlays(channel) && channel->soundConverter) {
    ResetPlaybackState(1);
    return true;
  }
  if (trackAudio && !FollowTrackAudio(channel, trackAudio, command)) return true;
  bool intime = true;
  if (EnginePlays(channel) && command != kEditResume) intime = QuietenAutomation(channel);
  channel->editState = uint8_t(command);
  Handle list = trackAudio ? TrackAudioRegionList(trackAudio) : Handle();
  if (list && command != kEditResume) SettleRecord(trackAudio, list);
  return intime;
}

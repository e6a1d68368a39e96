#include "sequencer/transport/sync_callbacks.h"

#include <algorithm>
#include <atomic>

#include "platform/system/host_time.h"
#include "sequencer/clock/clock_interim_services.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/midi/mtc_receiver.h"
#include "sequencer/transport/count_in.h"
#include "sequencer/transport/movie_sync_hooks.h"
#include "sequencer/transport/sync_source.h"
#include "sequencer/transport/transport_audio_hooks.h"
#include "shell/base/app_state.h"
#include "song/conductor/song_start_offset.h"

uint8_t gMovieFollowMode = 1;
uint8_t gMovieFollowShift = 4;

namespace {

TransportClock& C() { return gTransportClock; }

constexpr int32_t kAudioFollowThreshold = 125;
constexpr int32_t kMovieFollowThreshold = 250;
constexpr uint32_t kMainThreadSilentTicks = 600;
constexpr int64_t kMovieSetTimeMs = 31;
constexpr int64_t kMovieRateIgnoredBelowMs = -200;
constexpr uint8_t kLoopingJumpLimit = 10;
constexpr uint8_t kSyncModeAudioClock = 2;

// Clock-task state, set by the main thread before the pass runs.
TimeValue gPassStart;
int64_t gCountInGap = 0;  // subframes
int64_t gLastFollowed = -1;
uint8_t gBackwardJumps = 0;
std::atomic<uint32_t> gMainIdleStamp{0};

int64_t ToMilliseconds(const TimeValue& t) { return int64_t(TimeValueToSeconds(t) * 1000.0 + 0.5); }

void AddSubframes(TimeValue* t, int64_t subframes) {
  SubframesToTime(std::max<int64_t>(TimeToSubframes(*t) + subframes, 0), t);
}

void FollowBackwardJump(int64_t back, int32_t threshold) {
  if (C().flags.load() & (kClockFlagStartBlocked | kClockFlagLoopSong)) {
    SetMtcJumpLimitNow(kLoopingJumpLimit);
    return;
  }
  if (back <= threshold) return;
  if (++gBackwardJumps >= 2) {
    gBackwardJumps = 0;
    HaltSequencerTicks();
  }
}

// Mode 1 sets the movie's time when it is 31 ms or more away; mode 2 corrects its rate in
// proportion to the difference.
void BringMovieToReference(const TimeValue& reference) {
  TimeValue movie;
  if (!ReadMovieTime(&movie)) return;
  int64_t diff = ToMilliseconds(reference) - ToMilliseconds(movie);
  if (gMovieFollowMode == 1) {
    if (diff >= kMovieSetTimeMs || diff <= -kMovieSetTimeMs) SetMovieTimeValue(reference);
  } else if (gMovieFollowMode == 2 && diff >= kMovieRateIgnoredBelowMs) {
    int64_t correction = (diff * 0x10000) >> gMovieFollowShift;
    SetMovieRate(int32_t(std::clamp<int64_t>(0x10000 + correction, 0x4000, 0x40000)));
  }
}

}  // namespace

void BeginExternalFollow(uint32_t startTick, int64_t countInSubframes) {
  TickToTimecodeTime(startTick, &gPassStart);
  gCountInGap = std::max<int64_t>(countInSubframes, 0);
  gLastFollowed = -1;
  gBackwardJumps = 0;
  StampMainThreadIdle();
}

SyncCallbackProc SyncCallbackForSource(int16_t source, bool startedBySync) {
  switch (source) {
    case kSyncSourceTimeCode:
    case kSyncSourceMachineControl:
      return startedBySync ? MtcStartCallback : nullptr;
    case kSyncSourceMovie:
      return SongMovieAttached() ? MovieSyncCallback : nullptr;
    // The sample clock: the engine's output path hands the clock its debt as it renders
    // (audio/engine), so a callback reading the same position would count it twice.
    default:
      return nullptr;
  }
}

// The received quarter frames drive the debt by themselves; the audio position takes over only
// where the audio device runs locked to the reference (the audio-clock sync mode).
void MtcStartCallback() {
  C().tickDebt = kSyncDebtWait;
  StartAudioOutputs();
  bool audioLocked = GetSyncModeByte() == kSyncModeAudioClock && IsAnyOutputActive();
  C().syncCallback = audioLocked ? TimecodeSyncCallback : nullptr;
}

void ReadAudioPositionTime(TimeValue* out) {
  double seconds = C().samplePosition / EngineSampleRate();
  *out = SecondsToTimeValue(seconds);
}

void TimecodeSyncCallback() {
  TimeValue audio;
  ReadAudioPositionTime(&audio);
  if (IsCountingIn()) {
    C().tickDebt = kSyncDebtWait;
    return;
  }
  // The engine's sample position counts from the song's start; the count-in lies before it.
  int64_t position = TimeToSubframes(audio);
  if (position < gCountInGap) return;
  TimeValue reference;
  SubframesToTime(position - gCountInGap + int64_t(gSongStartOffset), &reference);
  FollowExternalTime(reference, kAudioFollowThreshold, true);
}

void MovieSyncCallback() {
  if (TickCount() - gMainIdleStamp.load(std::memory_order_relaxed) >= kMainThreadSilentTicks) {
    LatchEngineError(47);
    return;
  }
  TimeValue movie;
  if (!ReadMovieTime(&movie)) return;
  TimeValue due = gPassStart;
  AddSubframes(&due, gCountInGap);
  if (TimeToSubframes(movie) < TimeToSubframes(due)) return;
  if (C().flags.load() & kClockFlagVarispeed) return;
  AddSubframes(&movie, -gCountInGap);
  FollowExternalTime(movie, kMovieFollowThreshold, false);
}

void FollowExternalTime(const TimeValue& time, int32_t threshold, bool adjustMovie) {
  int64_t s = TimeToSubframes(time);
  if (gLastFollowed >= 0 && s < gLastFollowed) {
    FollowBackwardJump(gLastFollowed - s, threshold);
  } else {
    SetSyncDebtFromSubframes(std::max<int64_t>(s - int64_t(gSongStartOffset), 0));
    if (adjustMovie && SongMovieAttached()) BringMovieToReference(time);
  }
  gLastFollowed = s;
}

void SetMovieRateValue(int32_t rate) { SetMovieRate(rate); }

void StampMainThreadIdle() { gMainIdleStamp.store(TickCount(), std::memory_order_relaxed); }

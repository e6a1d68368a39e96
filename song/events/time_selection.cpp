#include "song/events/time_selection.h"

#include "song/conductor/sample_position.h"
#include "song/events/play_range.h"
#include "song/model/media_hooks.h"
#include "song/model/region_lists.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_template.h"
#include "song/model/window_redraw.h"

TimeSelection gTimeSelection;
uint8_t gLocatorMatchMask = 0;

namespace {

constexpr int kLocatorPairs = 4;

// The region list's rate when audio is shown and the current track has regions, else 0.
float CurrentTrackRegionRate() {
  if (!IsAudioShown() || gCurrentTrack == gTrackTemplate) return 0.0f;
  Handle regions(ReadU32BE(gCurrentTrack + kTrackRegionList));
  return regions ? GetRegionListRate(regions) : 0.0f;
}

}  // namespace

int32_t SetTimeRange(uint32_t startTick, uint32_t endTick) {
  float rate = gTimeSelection.start.rate;
  float regionRate = CurrentTrackRegionRate();
  if (regionRate > 0.0f) rate = regionRate;
  if (!(rate > 0.0f)) rate = kDefaultSampleRate;
  gTimeSelection.start.rate = rate;
  gTimeSelection.end.rate = rate;
  gTimeSelection.start.sample = uint64_t(TickToSamplePosition(startTick, rate));
  gTimeSelection.end.sample = uint64_t(TickToSamplePosition(endTick, rate));
  gTimeSelection.start.tick = startTick;
  gTimeSelection.end.tick = endTick;
  return int32_t(gTimeSelection.end.sample >> 32);
}

void SetTimeRangeAt(uint32_t t) { SetTimeRange(t, t); }

void SetTimeRangeFromSamples(uint64_t startSample, uint64_t endSample, float rate) {
  gTimeSelection.start.sample = startSample;
  gTimeSelection.end.sample = endSample;
  if (rate == 0.0f) {
    float regionRate = CurrentTrackRegionRate();
    if (regionRate > 0.0f) rate = regionRate;
  }
  if (!(rate > 0.0f)) return;
  gTimeSelection.start.rate = rate;
  gTimeSelection.end.rate = rate;
  gTimeSelection.start.tick = SamplePositionToTick(int64_t(startSample), rate);
  gTimeSelection.end.tick = SamplePositionToTick(int64_t(endSample), rate);
}

void SetTimeSelectionRange(const TimePosition& start, const TimePosition& end) {
  if (start.tick < end.tick)
    SetClockPlayRange({start.tick, start.sample, start.rate}, {end.tick, end.sample, end.rate});
  gLocatorMatchMask = 0;
  if (!gCurrentSong) return;
  for (int n = 0; n < kLocatorPairs; ++n) {
    const uint8_t* left = gCurrentSong + kSongLocators + kSongLocatorPairStride * n;
    const uint8_t* right = left + kSongLocatorSize;
    if (ReadU32BE(left) == start.tick && ReadU32BE(right) == end.tick)
      gLocatorMatchMask |= uint8_t(1 << n);
  }
}

void CommitTimeSelection() { SetTimeSelectionRange(gTimeSelection.start, gTimeSelection.end); }

void StoreTimeSelectionInSong(uint8_t* song, const TimeSelection& selection) {
  if (!song) return;
  bool samples = (song[kSongOptions] & kSongOptionTimeInSamples) != 0;
  WriteU32BE(song + kSongSelectionSampleStart,
             samples ? uint32_t(selection.start.sample) : selection.start.tick);
  WriteU32BE(song + kSongSelectionSampleEnd, samples ? uint32_t(selection.end.sample) : selection.end.tick);
}

void SelectWholeSong(int32_t flag) {
  if (!gCurrentSong) return;
  int16_t kind = GetFrontWindowKind();
  bool listKind = kind == 2 || kind == 4 || kind == 5 || kind == 7 || kind == 8 || kind == 15;
  if (flag == 0 || listKind) SetTimeRange(1, ReadU32BE(gCurrentSong + kSongEndTick));
  if (flag) RedrawAll(0);
}

int32_t ScaleTickFromSelectionStart(int32_t tick, double factor) {
  double start = double(gTimeSelection.start.tick);
  double t = start + (double(tick) - start) * factor;
  if (t >= 2147483647.0) return 0x7fffffff;
  if (t <= -2147483648.0) return INT32_MIN;
  return int32_t(t);
}

#include "media/overview/overview_track.h"

#include "media/background_jobs.h"
#include "media/overview/overview_blocks.h"
#include "media/overview/overview_compute.h"
#include "media/overview/overview_edits.h"
#include "media/track_audio/track_audio.h"
#include "platform/threads/cooperative_threads.h"
#include "shell/base/error_report.h"
#include "song/model/song_context.h"
#include "song/model/utility_track_access.h"

namespace {

// What a background computation keeps between its yields.
struct YieldState {
  OverviewContext job;  // the job's song and track
  Handle record;
};

// Gives the main thread its context, yields, then takes the job's again. False (give up)
// when somebody waits for the worker, the song or its track is gone, or the track has lost
// its record.
bool YieldOverviewWork(OverviewSource* source) {
  auto* state = static_cast<YieldState*>(source->owner);
  PutOverviewContext(gOverviewMainContext);
  YieldToAnyThread();
  SaveOverviewContext(&gOverviewMainContext);
  if (!RestoreOverviewContext(state->job, state->job.entry)) return false;
  if (gOverviewWaitRequest || !HasValidCurrentTrack() || GetTrackAudio() != state->record) return false;
  TrackAudioView v = ViewTrackAudio(state->record);
  source->regions = v.Regions();
  source->song = gCurrentSongHandle;
  return bool(source->regions);
}

OverviewSource SourceOfRecord(Handle record) {
  TrackAudioView v = ViewTrackAudio(record);
  OverviewSource source;
  source.regions = v.Regions();
  source.encoding = v.Encoding();
  source.bits = v.BitsPerSample();
  source.channels = v.Channels();
  source.rate = TrackAudioRate(record);
  source.song = gCurrentSongHandle;
  return source;
}

Handle MainOverview() {
  TrackAudioView v = ViewTrackAudio(GetTrackAudio());
  return v ? v.Overview() : Handle();
}

bool AlternateIsActive() { return GetActiveTrackAudioRecord() != GetTrackAudio(); }

}  // namespace

Handle ComputeOverview(OverviewContext* saved, Handle record, int32_t startTick, int32_t endTick, bool background) {
  SaveOverviewContext(saved);
  TrackAudioView v = ViewTrackAudio(record);
  if (!v || !v.Regions()) return Handle();
  OverviewSource source = SourceOfRecord(record);
  YieldState state{*saved, record};
  state.job.entry = GetCurrentTrackIndex();
  if (background) {
    source.yield = YieldOverviewWork;
    source.owner = &state;
  }
  Handle chain;
  OSErr err = ComputeOverviewChain(&source, startTick, endTick, &chain);
  if (background) PutOverviewContext(state.job);
  v = ViewTrackAudio(record);
  if (err == kOverviewUnreadableFormat && v) v.SetOverviewState(kOverviewUnshowable);
  if (chain && v) v.SetOverviewState(kOverviewQueued);
  return chain;
}

OSErr ComputeOverviewRange(Handle record, int32_t startTick, int32_t endTick, Handle* chain) {
  *chain = Handle();
  TrackAudioView v = ViewTrackAudio(record);
  if (!v || !v.Regions()) return kOverviewNoRegions;
  OverviewSource source = SourceOfRecord(record);
  OSErr err = ComputeOverviewChain(&source, startTick, endTick, chain);
  if (err == kOverviewUnreadableFormat) ViewTrackAudio(record).SetOverviewState(kOverviewUnshowable);
  return err;
}

void InsertOverviewTicks(int32_t tick, int32_t count) {
  Handle chain = MainOverview();
  if (!chain || count <= 0) return;
  if (OSErr err = InsertOverviewChainTicks(chain, tick, count)) {
    ReportError(err);
    ClearOverviewDirty();
  }
}

void DeleteOverviewTicks(int32_t tick, int32_t count) {
  Handle chain = MainOverview();
  if (chain && count > 0) DeleteOverviewChainTicks(chain, tick, count);
}

bool CancelPendingOverview() {
  TrackAudioView v = ViewTrackAudio(GetTrackAudio());
  if (!v || v.OverviewState() != kOverviewQueued) return false;
  WaitForOverviewThread();
  ClearOverviewDirty();
  return true;
}

void ShiftOverviewForInsert(int32_t tick, int32_t count) {
  if (AlternateIsActive() || CancelPendingOverview()) return;
  InsertOverviewTicks(tick, count);
}

void ShiftOverviewForDelete(int32_t tick, int32_t count) {
  if (AlternateIsActive() || CancelPendingOverview()) return;
  DeleteOverviewTicks(tick, count);
}

int32_t GetOverviewLevel(int32_t tick, int32_t channel) {
  TrackAudioView v = ViewTrackAudio(GetActiveTrackAudioRecord());
  if (!v || !v.Overview() || channel < 0) return 0;
  if (channel >= OverviewBlockChannels(v.Overview())) return 0;
  return OverviewBlockLevel(OverviewBlockForChannel(v.Overview(), channel), tick);
}

#include "media/overview/overview_jobs.h"

#include <algorithm>
#include <new>

#include "media/background_jobs.h"
#include "media/overview/overview_blocks.h"
#include "media/overview/overview_compute.h"
#include "media/overview/overview_edits.h"
#include "media/overview/overview_track.h"
#include "media/track_audio/track_audio.h"
#include "platform/memory/memory.h"
#include "shell/base/app_state.h"
#include "shell/base/error_report.h"
#include "song/model/song_context.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"

OverviewJobNode* gOverviewJobTail = nullptr;
OverviewContext gOverviewMainContext;

namespace {

ThreadEntryUPP gOverviewThreadEntry = nullptr;

bool BackgroundAllowed() { return (gAppState[1] & kAppWord1ThreadManager) != 0; }

void RedrawOverviewWindows() {
  InvalidateEditorWindow();
  InvalidateTrackWindow();
}

// The job's track made current in the job's song; false when the song is gone.
bool SelectJobTrack(const OverviewJob& job) { return RestoreOverviewContext(job.song, job.entry); }

// The range's end as the computation will take it, for removing the old ticks.
int32_t RangeEnd(Handle record, const OverviewJob& job) {
  TrackAudioView v = ViewTrackAudio(record);
  OverviewSource source;
  source.regions = v.Regions();
  source.rate = TrackAudioRate(record);
  source.song = gCurrentSongHandle;
  return ResolveOverviewEndTick(source, int32_t(job.endTick));
}

// Puts a range computed anew into the record's overview; false when it had to be discarded.
bool MergeOverviewPiece(Handle record, Handle piece, int32_t startTick) {
  TrackAudioView v = ViewTrackAudio(record);
  Handle chain = v.Overview();
  if (OverviewPieceReplacesChain(chain, piece, v.Channels(), startTick)) {
    SetTrackOverview(record, piece);
    return true;
  }
  OSErr err = SpliceOverviewPiece(chain, piece, startTick);
  DisposeOverviewBlocks(piece);
  if (err != noErr) {
    ReportError(err);
    ClearOverviewDirty();
    return false;
  }
  ViewTrackAudio(record).SetOverviewState(kOverviewIdle);
  return true;
}

OverviewJob JobForCurrentTrack(uint32_t startTick, uint32_t endTick) {
  OverviewJob job;
  job.startTick = startTick;
  job.endTick = endTick;
  job.entry = uint16_t(GetCurrentTrackIndex());
  job.background = 1;
  SaveOverviewContext(&job.song);
  return job;
}

}  // namespace

void SaveOverviewContext(OverviewContext* context) {
  context->song = gCurrentSongHandle;
  context->songIndex = gCurrentSongIndex;
  context->childIndex = gCurrentChildIndex;
  context->entry = GetCurrentTrackIndex();
}

void PutOverviewContext(const OverviewContext& context) {
  if (context.song && !IsValidHandle(context.song)) return;
  SetCurrentSong(context.song);
  gCurrentSongIndex = context.songIndex;
  gCurrentChildIndex = context.childIndex;
  if (context.song) SetCurrentTrackIndex(context.entry);
}

bool RestoreOverviewContext(const OverviewContext& saved, int32_t entry) {
  bool open = saved.song && IsValidHandle(saved.song) &&
              (saved.childIndex >= 0 || GetSongHandleAt(saved.songIndex) == saved.song);
  if (!open) {
    gOverviewWaitRequest = 1;
    return false;
  }
  OverviewContext context = saved;
  context.entry = entry;
  PutOverviewContext(context);
  return true;
}

OSErr QueueOverviewJob(OverviewJobProc proc, OverviewJob* job) {
  if (!BackgroundAllowed()) return unimpErr;
  auto* node = new (std::nothrow) OverviewJobNode;
  if (!node) return memFullErr;
  job->proc = proc;
  node->job = *job;
  if (gOverviewJobTail) gOverviewJobTail->next = node;
  gOverviewJobTail = node;
  if (gOverviewThreadCount != 0) return noErr;
  if (!gOverviewThreadEntry) gOverviewThreadEntry = NewThreadEntryUPP(RunOverviewJobs);
  OSErr err = NewThread(kCooperativeThread, gOverviewThreadEntry, node, 0, 0, nullptr, &node->thread);
  if (err != noErr) {
    delete node;
    gOverviewJobTail = nullptr;
    return err;
  }
  ++gOverviewThreadCount;
  gOverviewWaitRequest = 0;
  return noErr;
}

void* RunOverviewJobs(void* firstNode) {
  auto* node = static_cast<OverviewJobNode*>(firstNode);
  while (node) {
    SaveOverviewContext(&gOverviewMainContext);
    node->job.proc(&node->job);
    PutOverviewContext(gOverviewMainContext);
    OverviewJobNode* next = node->next;
    delete node;
    node = next;
  }
  --gOverviewThreadCount;
  gOverviewJobTail = nullptr;
  gOverviewWaitRequest = 0;  // a closed song's give-up ends with its jobs
  return nullptr;
}

void ComputeWholeOverviewJob(OverviewJob* job) {
  if (gOverviewWaitRequest || !SelectJobTrack(*job)) return;
  InvalidateEditorWindow();
  OverviewContext saved;
  Handle record = GetTrackAudio();
  Handle chain = ComputeOverview(&saved, record, 1, 0, job->background != 0);
  PushSongContext();
  if (!RestoreOverviewContext(job->song, job->entry) || GetTrackAudio() != record) record = Handle();
  StoreOverviewResult(record, chain);
  RedrawOverviewWindows();
  PopSongContext();
}

void UpdateOverviewRangeJob(OverviewJob* job) {
  if (!SelectJobTrack(*job)) return;
  Handle record = GetTrackAudio();
  TrackAudioView v = ViewTrackAudio(record);
  if (!v) return;
  if (gOverviewWaitRequest) {  // the range stays stale: the overview is made anew when drawn
    ClearOverviewDirty();
    return;
  }
  v.SetOverviewState(kOverviewQueued);
  int32_t start = std::max<int32_t>(int32_t(job->startTick), 1);
  DeleteOverviewTicks(start, RangeEnd(record, *job) - start);
  OverviewContext saved;
  Handle piece = ComputeOverview(&saved, record, start, int32_t(job->endTick), job->background != 0);
  PushSongContext();
  bool same = RestoreOverviewContext(job->song, job->entry) && GetTrackAudio() == record;
  if (!same) {
    DisposeOverviewBlocks(piece);
  } else if (!piece) {
    ClearOverviewDirty();
  } else {
    MergeOverviewPiece(record, piece, start);
  }
  if (same) RedrawOverviewWindows();
  PopSongContext();
}

void RequestOverviewUpdate(int32_t startTick, int32_t endTick) {
  Handle record = GetTrackAudio();
  if (!record || GetActiveTrackAudioRecord() != record) return;
  TrackAudioView v = ViewTrackAudio(record);
  if (!v.Overview()) {
    WaitForOverviewThread();
    ClearOverviewDirty();
    return;
  }
  v.SetOverviewState(kOverviewQueued);
  OverviewJob job = JobForCurrentTrack(uint32_t(startTick), uint32_t(endTick));
  if (QueueOverviewJob(UpdateOverviewRangeJob, &job) != noErr) {
    job.background = 0;
    UpdateOverviewRangeJob(&job);
  }
}

bool EnsureTrackOverview() {
  Handle record = GetTrackAudio();
  TrackAudioView v = ViewTrackAudio(record);
  if (!v || !v.Regions()) return false;
  if (v.Overview()) return true;
  int8_t state = v.OverviewState();
  if (state < kOverviewIdle || (state > kOverviewIdle && gOverviewThreadCount != 0)) return false;
  v.SetOverviewState(kOverviewQueued);
  OverviewJob job = JobForCurrentTrack(1, 0);
  if (QueueOverviewJob(ComputeWholeOverviewJob, &job) == noErr) return false;
  OverviewContext saved;
  StoreOverviewResult(record, ComputeOverview(&saved, record, 1, 0, false));
  return bool(ViewTrackAudio(record).Overview());
}

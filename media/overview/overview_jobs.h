// Waveform overviews computed in the background: the queue of overview jobs, the one
// cooperative worker thread that runs them, the way a job hands its result to the track, and
// the requests the editors and the audio code make when a track's audio changes.
//
// Threads: the main thread and the worker, a cooperative thread; they switch only at explicit
// yields (the worker's in the computation, the main thread's in the idle pass and in
// WaitForOverviewThread), so the queue, the records and the song context are shared without
// locks. Around each yield the worker gives the main thread back its own current song and
// track, and looks its job's song up again afterwards.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"
#include "platform/threads/cooperative_threads.h"

// The current song and track as a job keeps them: the song's handle and its two indices,
// and the index of the track entry.
struct OverviewContext {
  Handle song;
  int32_t songIndex = 0;
  int32_t childIndex = -1;
  int32_t entry = 0;
};

struct OverviewJob;
using OverviewJobProc = void (*)(OverviewJob* job);

// One job, copied into the queue. The song is kept with the entry index, so a job queued in
// one song never works on another that became current meanwhile.
struct OverviewJob {
  uint32_t endTick = 0;    // 0: to the end of the track's audio
  uint32_t startTick = 1;  // 1 for a whole track
  OverviewJobProc proc = nullptr;
  uint16_t entry = 0;      // the track entry's index in its song
  uint8_t background = 0;  // 1: runs on the worker and may yield
  OverviewContext song;    // the song the job belongs to
};

struct OverviewJobNode {
  ThreadID thread = 0;  // the worker's id, in the node that started it
  OverviewJob job;
  OverviewJobNode* next = nullptr;
};

extern OverviewJobNode* gOverviewJobTail;
// The main thread's current song and track as the worker last saw them: taken when a job
// starts and after each of its yields, given back before each yield and when the job ends.
extern OverviewContext gOverviewMainContext;

void SaveOverviewContext(OverviewContext* context);
// Makes a saved context current again (any song, or none).
void PutOverviewContext(const OverviewContext& context);
// Re-selects the song of a saved context and makes the entry current. When the song has been
// closed meanwhile nothing changes, gOverviewWaitRequest is set (the running job and those
// still queued give up) and the answer is false.
bool RestoreOverviewContext(const OverviewContext& saved, int32_t entry);

// Queues a job: -4 when background computing is off (gAppState word 1 bit 0x1000), the memory
// error, or the Thread Manager's error when no worker could be made; else 0. The first job
// after an idle period starts the worker; later ones are run by it in order.
OSErr QueueOverviewJob(OverviewJobProc proc, OverviewJob* job);
// The worker's body: runs the jobs from the first node on, freeing each node.
void* RunOverviewJobs(void* firstNode);

// Whole-track computation for the job's track; the result goes to the track's record.
void ComputeWholeOverviewJob(OverviewJob* job);
// A range computed anew and spliced into the track's overview.
void UpdateOverviewRangeJob(OverviewJob* job);

// The current track's audio changed between two ticks (recording, region and section edits,
// destructive processing, the Edit menu): with an overview, queues a range update (run at
// once when the queue refuses); without one, waits for the worker and clears the record so
// that the next drawing computes the whole overview. Nothing while the alternate record is
// active or without a main record.
void RequestOverviewUpdate(int32_t startTick, int32_t endTick);
// For the drawing of the current track: when its main record has no overview, its state is
// not negative (gave up, cannot be shown) and no job for it is running, queues a whole-track
// job; when the queue refuses, computes it at once. True when the record has an overview
// afterwards.
bool EnsureTrackOverview();

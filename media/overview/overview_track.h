// The waveform overview of a track's audio record: computing it from the record's regions
// and format, and the edits the region editing makes on the current track's overview.
#pragma once

#include <cstdint>

#include "media/overview/overview_jobs.h"
#include "platform/memory/mac_types.h"

// Computes the record's overview from startTick to endTick (0: to the end of its audio) in
// the current song. Saves the song context in *saved first (a background computation gives
// the main thread this context back at each yield). 0 for a null record, one without
// regions, a failed read, no memory, a background job that gave up, and a sample encoding
// that cannot be shown (the record's state then becomes -2). With a chain the record's state
// becomes 1; the caller settles it.
Handle ComputeOverview(OverviewContext* saved, Handle record, int32_t startTick, int32_t endTick, bool background);
// Computes the record's overview between two ticks at once, for drawing from the audio while
// no overview is kept: the chain's first entry covers startTick. 0 or the computation's error
// (kOverviewUnreadableFormat also sets the record's state to -2, -208 for no region list);
// the record's overview and other state stay as they are.
OSErr ComputeOverviewRange(Handle record, int32_t startTick, int32_t endTick, Handle* chain);

// Inserts count silent ticks at tick into the current track's main overview. A memory
// failure is reported and the overview discarded.
void InsertOverviewTicks(int32_t tick, int32_t count);
// Removes count ticks at tick from the current track's main overview.
void DeleteOverviewTicks(int32_t tick, int32_t count);
// True when the current track's main record has a job queued or running: the worker is then
// waited for and the overview discarded.
bool CancelPendingOverview();
// Time inserted into or removed from the current track's audio (region editing): the
// overview follows, unless the alternate record is active or a pending job was cancelled.
void ShiftOverviewForInsert(int32_t tick, int32_t count);
void ShiftOverviewForDelete(int32_t tick, int32_t count);
// The level 0..128 around a tick of a channel of the current track's active record (for
// the playback meters); 0 without an overview or for a channel it does not have.
int32_t GetOverviewLevel(int32_t tick, int32_t channel);

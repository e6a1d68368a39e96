#include "media/background_jobs.h"

#include "platform/threads/cooperative_threads.h"
#include "song/model/song_context.h"

int32_t gOverviewThreadCount = 0;
uint8_t gOverviewWaitRequest = 0;
// Interim: video capture is not built yet, so it stays 0.
uint32_t gSequenceGrabber = 0;

void WaitForOverviewThread() {
  if (gOverviewThreadCount == 0) return;
  OSErr pushed = PushSongContext();
  gOverviewWaitRequest = 1;
  // Each turn the worker runs to its next yield, where it sees the request and gives up; a
  // yield that finds no other thread ready means the worker is gone.
  while (gOverviewThreadCount != 0) {
    if (YieldToAnyThread() != noErr) break;
  }
  gOverviewWaitRequest = 0;
  if (pushed == noErr) PopSongContext();
}

// Making the regions of a finished take: the take's file read back, the track's audio given the
// take's format when it holds no audible regions yet (a take of another format is refused with
// 49), and the take placed on the track from its start tick. Main thread.
#pragma once

#include <cstdint>

#include "platform/files/files.h"
#include "platform/memory/mac_types.h"

struct TakePlacement {
  int64_t skipFrames = 0;    // the latency: frames at the file's start that are not the take's
  int64_t leadSilence = 0;   // a negative latency: silence ahead of the take, inside its span
  uint32_t startTick = 0;
};

constexpr OSErr kTakeFormatDiffers = 49;

// Places the take in file on the track audio record; 0, 49 or a file or memory error.
OSErr MakeRegionFromTake(Handle trackAudio, const FSSpec* file, const TakePlacement& placement);

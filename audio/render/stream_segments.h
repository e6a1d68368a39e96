// The segment walk of the stream mixer: one block of a channel's stream in segments cut at
// the start delay, the loop end (while the transport cycles), the next automation record and
// the region end. The position jumps back to the loop start at the loop end (the automation
// cursor to its loop-start record) and to 0 at the region end (the cursor to the first
// record); the records at or before the position are played on the way.
#pragma once

#include <cstdint>

struct EngineChannel;

using SegmentWriter = void (*)(void* context, int32_t firstFrame, int32_t frames);

// Walks `frames` frames: tries the automation lock once (no automation for the block when it
// is busy or the engine holds in place), calls write for each segment, and stores the new
// position (and the cursor, when the lock was held). Answers the frames walked; a segment of 0
// frames ends the walk early.
int32_t WalkStreamSegments(EngineChannel* channel, int32_t frames, SegmentWriter write, void* context);

template <typename Write>
int32_t WalkStreamSegments(EngineChannel* channel, int32_t frames, Write write) {
  return WalkStreamSegments(
      channel, frames, [](void* w, int32_t first, int32_t n) { (*static_cast<Write*>(w))(first, n); }, &write);
}

// The live audio-edit bracket: the song model opens it before it changes a playing audio
// track's regions and closes it afterwards; the engine keeps away from the channel's automation
// meanwhile. Every wait of the main thread on the engine here has a bound.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

struct EngineChannel;

enum AudioEditPhase : int32_t { kEditOpen = 1, kEditClose = 2, kEditCloseAll = 3 };
constexpr int32_t kEditHold = 1;            // the command of an edit under way
constexpr int32_t kEditResume = 9;          // the command that plays the edited regions again
constexpr uint32_t kEditWaitMicros = 500000;  // the longest the bracket waits for the engine

// Phase 1 acts when it opens the outermost bracket, phase 2 when it closes the outermost one
// (inner closes only unwind the nesting), phase 3 closes all. Acting stores the command in the
// channel's editState; while the engine plays the channel, a command other than resume first
// waits (bounded) until the disk's refill states (9, 10) are over and for the channel's
// automation lock, then clears the automation cursor. Answers true when it acted and no wait
// ran out.
//
// With the track audio record the channel plays (trackAudio), acting also follows the record:
// - a record without a region list: the channel stops, unless it plays the current track as a
//   copy of another, which is located at the track's end;
// - resuming while the engine plays the channel: the channel's play list is built again from
//   the record's list over its span (its in-memory blocks made afresh) and taken over between
//   two refills, so the stream plays on seamlessly with the edited regions; when the track's
//   length moved, the stream is relocated (and waited for). When the track now ends at or
//   before the play position, playback starts over (ResetPlaybackState (1)).
// - any other command clears the record's one-shot engine flag and the region flag 0x40 of the
//   record's own list (which holds no engine blocks) and leaves the list unlocked.
// Resuming a playing channel that decodes through a converter starts playback over
// (ResetPlaybackState (1)) and stores nothing.
bool AudioEditBracket(EngineChannel* channel, int32_t command, int32_t phase, Handle trackAudio = Handle());

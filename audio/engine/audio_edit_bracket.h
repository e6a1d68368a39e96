// The live audio-edit bracket: the song model opens it before it changes a playing audio
// track's regions and closes it afterwards; the engine keeps away from the channel's automation
// meanwhile. Every wait of the main thread on the engine here has a bound.
#pragma once

#include <cstdint>

struct EngineChannel;

enum AudioEditPhase : int32_t { kEditOpen = 1, kEditClose = 2, kEditCloseAll = 3 };
constexpr int32_t kEditResume = 9;          // the command that plays the edited regions again
constexpr uint32_t kEditWaitMicros = 500000;  // the longest the bracket waits for the engine

// Phase 1 acts when it opens the outermost bracket, phase 2 when it closes the outermost one
// (inner closes only unwind the nesting), phase 3 closes all. Acting stores the command in the
// channel's editState; while the engine plays the channel, a command other than resume first
// waits (bounded) until the disk's refill states (9, 10) are over and for the channel's
// automation lock, then clears the automation cursor. Answers true when it acted and no wait
// ran out.
//
// Resuming a playing channel that decodes through a converter starts playback over
// (ResetPlaybackState (1)) and stores nothing.
//
// Interim: resuming another channel relocates nothing yet (region play lists, stream
// relocation and the re-priming of its halves come with the audio tracks); it stores the
// command.
bool AudioEditBracket(EngineChannel* channel, int32_t command, int32_t phase);

// The track-edit brackets: they tell playback that a track's data is being changed. Every
// edit of a track's data is bracketed with BeginTrackEdit / EndTrackEdit (or followed by
// ResetPlaybackState).
//
// In section mode the begin side marks the track as being edited (bit 0 of TrackEntry byte
// 16) and waits, in short bounded sleeps, while the audio engine is busy with the track; the
// wait ends after gTrackEditWaitLimit microseconds with a report, so that a stopped engine
// thread never hangs the program. The end side re-locates the track's play cursor at the
// song position: TrackEntry +200 holds the byte offset of the next event plus 1 (0 none).
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// TrackEntry byte 16.
constexpr uint8_t kTrackPlayFlagEditing = 0x01;
constexpr uint8_t kTrackPlayFlagEngine = 0x02;
constexpr uint8_t kTrackPlayFlagAtEnd = 0x40;

// The message shown when the engine does not leave the track in time.
constexpr int16_t kEngineNoAnswerText = 3;
// How long the begin side waits for the engine (1 s).
extern uint32_t gTrackEditWaitLimit;

enum TrackEditHookIndex : int32_t {
  kTrackEditBeginHook = 0,
  kTrackEditEndHook = 1,
  kTrackEditEndNoticeHook = 2,
  kTrackEditLinkHook = 3,
};

// Calls the hook with a context carrying code; in section mode, when the current song is a
// link, also on the same track of every other child that stands for the same song. Returns
// 0, or kEngineNoAnswerText when the begin hook timed out.
OSErr CallTrackEditHook(int32_t hook, int32_t code);
OSErr BeginTrackEdit();
// Posts engine command (3, 1) first when the track has an insert rack and an output kind;
// begins only when the engine agrees (its answer is returned otherwise).
OSErr BeginTrackEditChecked();
void EndTrackEdit();
// The same, posting engine command (9, code) when the track has an insert rack.
void EndTrackEditWithCode(int32_t code);

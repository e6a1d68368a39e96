// The sync callbacks of the slaved clock: each fire of a clock that follows time code started
// by the reference, the audio sample clock or the song's movie reads the reference time and
// turns its distance from the clock's own position into the tick debt that the fire works
// off. They run in the clock task; the main thread installs them when a pass starts.
#pragma once

#include <cstdint>

#include "sequencer/clock/time_code_values.h"

// The follow state: the real time at which the pass started (the song start offset included)
// and the count-in before it, both set when a pass starts on an external source.
void BeginExternalFollow(uint32_t startTick, int64_t countInSubframes);
// The callback a pass on an external source starts with (null for the sources that drive the
// debt themselves: MIDI clock, and the sample clock, whose debt the engine's output path sets).
using SyncCallbackProc = void (*)();
SyncCallbackProc SyncCallbackForSource(int16_t source, bool startedBySync);

// Sources 2 and 4 started by the reference: the clock waits, the audio outputs start and the
// steady callback takes over.
void MtcStartCallback();
// The steady callback of 2 and 4 while the audio device runs locked to the reference: the
// audio position as the reference.
void TimecodeSyncCallback();
// Source 5: the movie's time base as the reference while the main thread is alive.
void MovieSyncCallback();
// The audio engine's sample position as real time.
void ReadAudioPositionTime(TimeValue* out);
// Follows a reference time (real time from the song's start offset on): a time moving forward
// sets the tick debt; a backward jump beyond threshold subframes is counted and a second one
// halts the ticks (while looping, the jump limit becomes 10 instead). With adjustMovie the
// movie is brought to the reference.
void FollowExternalTime(const TimeValue& time, int32_t threshold, bool adjustMovie);
// The movie's rate and preferred rate.
void SetMovieRateValue(int32_t rate);

// The main thread stamps its idle pass here (TickCount); the movie follow stops with error 47
// once it has been silent for 600 ticks.
void StampMainThreadIdle();

// How the movie is brought to the reference: 0 not at all, 1 its time set when 31 ms or more
// away, 2 its rate corrected in proportion (the difference shifted right by gMovieFollowShift).
extern uint8_t gMovieFollowMode;
extern uint8_t gMovieFollowShift;

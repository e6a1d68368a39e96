// The sequencer's steps of the idle pass besides the idle-task stack and the note-off
// catch-up: the locate point in the counters, the idle-task service and the tempo follower.
#pragma once

// While the clock task does not play: when the locate point moved, the clock's bar, beat,
// tick and time code show it (the counter reads them).
void PositionDisplayIdle();
void SequencerIdleTaskService();
void TempoFollowerIdle();

// The sequencer's steps of the idle pass besides the idle-task stack and the note-off
// catch-up: the locate point in the counters, the idle-task service and the tempo follower.
#pragma once

void PositionDisplayIdle();
void SequencerIdleTaskService();
void TempoFollowerIdle();

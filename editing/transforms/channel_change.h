// Change channel: the events of the time selection get the remembered MIDI channel (the "chn"
// dialog, Transform menu item 6).
#pragma once

#include <cstdint>

// The remembered channel, 0..15 (shown 1..16); the criteria dialog filters by it too.
extern uint32_t gRememberedChannel;

// Per-track step: from the first event at or after the selection start while the events lie
// in the selection, every channel message that the copy filter takes is re-stamped with the
// channel; other records (system-exclusive data, system messages, sequence references) keep
// their status. Answers 0.
int32_t ChangeTrackChannel(void* unused);
// As one undoable step (undo kind 17) on every track with events in the edit scope; then the
// editor and the event list are redrawn. False when the step could not be opened.
bool ChangeChannel();
// The dialog: OK stores the typed channel (1..16, clamped) and changes the events.
void OpenChannelDialog();

// A click on the value fields and buttons of the main editor's tool bar: the zoom and bend
// buttons, the note-value pop-up, the channel pop-up, the 'R' button and the fields dragged
// up and down (note value in ticks, note length percentage, velocity, swing, volume, pan).
#pragma once

#include <cstdint>

#include "platform/events/classic_events.h"

// True when the press is released inside r (window coordinates); the button is hilited
// while the mouse is inside it.
bool TrackToolbarButton(const Rect& r);
// The note-value pop-up at the tool bar's note-value field (which: kNoteValueField or
// kGridValueField); a choice sets that length bit and recomputes the value. The grid's
// pop-up starts at the note value's choice while the grid has no value of its own.
void PopUpNoteValue(int16_t which);
// The click on a field or button at where; true when one took it.
bool HandleToolbarFieldClick(Point where, EventRecord* event);
// The values the volume and pan fields set on the current track's instrument, sent to its
// output as the instrument window's strips send them.
void SetCurrentVolumeValue(int32_t value);
void SetCurrentPanValue(int32_t value);
// Fills the click dispatcher's tool-bar route.
void InstallToolbarClicks();

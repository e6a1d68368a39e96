// The instrument window's menus: the program and channel pop-ups of a strip and the window's
// contextual menu (what uses the strip, where it goes, showing strips, writing its values
// into the song, linking strips, a new entry).
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// The first track of the current song that plays entry index (-1: none).
int32_t FindFirstTrackPlaying(int32_t index);
// Before a knob or fader of an instrument strip is dragged while moves are recorded: when no
// track plays the strip, a new track is made for it (its own channel, the strip's instrument,
// named after the column heading) and becomes the only selected track. False when no track
// could be made: the drag is not tracked then.
bool PrepareStripDrag();
// The program field of the current strip: with a send shown the pre/post pop-up, else a
// pop-up of the program numbers whose choice is sent as a program change.
void ClickStripProgram();
// The channel pop-up of the current strip (1..16); a choice becomes output part 0's channel.
void ClickStripChannel();
// The contextual menu at the window point.
void RunStripContextMenu(Point local);
// Contextual-menu items 7..10 of the current strip: its volume and pan written at the song
// start (items 7, 9) or the time selection's start (8, 10), as one undoable step.
void WriteCurrentStripValues(int16_t item);

// The state dump's lines about playing from the main editor (see state_dump.h):
//   front <kind>                    the kind of the front window (0: none of ours)
//   port <index> <present 0/1> <name>
//                                   each entry of the MIDI port table
//   source <unique id> <input 0/1> <name>
//                                   each MIDI source, and whether a chosen input takes it
//   output <track> <kind> <port> <send procedure> <flags>
//                                   where each track of the current song plays
//   playaxis <left tick> <zoom> <origin x>
//                                   the main editor's time axis (origin x in the window)
//   toolbarscreen <left> <top>      the main editor's tool bar, global coordinates
//   cursor <pane> <x>               the x at which each pane's play cursor stands (0: none)
//   selection <start> <end>         the time selection in ticks
//   step <counter> <pending> <note value>
//                                   step input: the step counter, a chord still held, the
//                                   note value in ticks
// (the current track's "note" lines come from state_dump_notes.h)
#pragma once

#include <string>

void AppendPlayStateDump(std::string* out);

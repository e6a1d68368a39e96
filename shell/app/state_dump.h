// A small text picture of the program's state, for tests and scripting. When the environment
// variable ZARIN_STATE_DUMP names a file, the program writes it there once its event loop is
// about to start (from then on SIGUSR1 is served), on SIGUSR1 (within a tenth of a second)
// and once more at quit, before its windows go away. Lines:
//   song <slot> <name>              the current song (name as its header holds it)
//   document <name>                 the open document's name, "-" while untitled
//   songs <count>                   song slots holding a song
//   tracks <count>                  the current song's tracks
//   track <number> <name>           each track that has a name
//   screen <width> <height>         the program's screen (it follows the host window's size)
//   window <kind> <visible 0/1> <left> <top> <right> <bottom> <title>
//                                   each program window, its content in global coordinates
//   menu <id> <left> <top> <right> <bottom> <title>
//   item <menu id> <number> <left> <top> <right> <bottom> <text>
//                                   the File menu's title in the bar and its items where
//                                   they show when it opens (global coordinates)
//   sync <source> <clock out> <frame-rate code>
//                                   the sync source; "sync-outputs" when MIDI clock goes to
//                                   the sync outputs, else the clock's send procedure id
//   open <kind> <result>            the open dispatch's last kind byte and result
//   transport <playing 0/1> <tick>  whether the clock plays, and the song position
// the lines of playing from the main editor (transport_state_dump.h)
// and the main editor's lines (shell/app/editor_state_dump.h).
// The file is replaced whole each time, so a reader never sees half of it.
#pragma once

#include <string>

// The dump as text.
std::string FormatStateDump();
// Installs the signal handler and the timer that serves it (nothing without the variable).
void InstallStateDump();
// Writes the dump now when the variable is set.
void WriteStateDumpIfAsked();

// The "ProgramEvent" dialog: one program change of the current track (time, channel and
// program) written back or deleted as one undoable step. Main thread.
#pragma once

#include <cstdint>

// Field and view ids of "ProgramEvent".
enum : int32_t {
  kProgramBarField = 1,
  kProgramBeatField = 2,
  kProgramTickField = 3,
  kProgramChannelField = 9,
  kProgramNumberField = 11,
  kProgramArrows = 100,
};

// Opens the dialog on the program change at byte offset of the current track's list (nothing
// for an offset that holds none). Answers the command that closed it (0 when it did not open).
uint32_t OpenProgramEventDialog(int32_t offset);
// 'ok  ' writes the 8-byte template over the event at offset, 'DELE' removes it; one undoable
// step (kinds 25 and 7). 1 when it ran.
int32_t ApplyProgramEventCommand(uint32_t command, int32_t offset);

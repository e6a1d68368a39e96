// The "NoteEvent" dialog: one note of the current track edited through the event template
// (time, pitch, velocity, duration, channel and release velocity), then written back, copied
// or deleted as one undoable step. Main thread.
#pragma once

#include <cstdint>

// Field and view ids of "NoteEvent".
enum : int32_t {
  kNoteBarField = 1,
  kNoteBeatField = 2,
  kNoteTickField = 3,
  kNotePitchField = 4,
  kNoteVelocityField = 5,
  kNoteLengthBarsField = 6,
  kNoteLengthBeatsField = 7,
  kNoteLengthTicksField = 8,
  kNoteChannelField = 9,
  kNoteReleaseField = 10,
  kNoteHighBitText1 = 16,
  kNoteHighBitText2 = 17,
  kNoteLengthMenuCommand = 18,
  kNoteArrows = 100,
  kNoteWholeTime = 101,
  kNoteWholeLength = 102,
};
constexpr int16_t kUndoKindDeleteNote = 7;
// The commands beside 'ok  ' and 'not!'.
constexpr uint32_t kNoteDeleteCommand = 0x44454C45;     // 'DELE'
constexpr uint32_t kNoteDuplicateCommand = 0x4455504C;  // 'DUPL'

// Opens the dialog on the note at byte offset of the current track's list (nothing for an
// offset that holds no note). Answers the command that closed it (0 when it did not open).
uint32_t OpenNoteEventDialog(int32_t offset);
// Applies a closed dialog's command to the note at offset with the template as the new note:
// 'ok  ' replaces it, 'DELE' removes it, 'DUPL' inserts the template beside it. 1 when the
// undo step ran.
int32_t ApplyNoteEventCommand(uint32_t command, int32_t offset);

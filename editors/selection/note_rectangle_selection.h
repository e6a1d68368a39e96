// The notes a rubber band takes: those of the current track that start inside the time
// selection with a pitch inside its pitch range.
#pragma once

// The undo kind of a change of which notes are selected (the plain Undo item text).
constexpr int kSelectionUndoKind = 0;

// One undoable step: the notes inside become selected; the others lose their selection unless
// keepOthers (an extended or united band).
void SelectNotesInRectangle(bool keepOthers);
// The note at the event (14 bytes) lies inside the time selection and the pitch range.
bool IsNoteInRectangle(const unsigned char* event);

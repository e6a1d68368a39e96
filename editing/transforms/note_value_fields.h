// Note values in the editors' number fields: a MIDI value dragged with the mouse and shown as
// a note name, and a note name typed with its octave taken as the value.
#pragma once

#include <cstdint>

#include "shell/dialogs/value_fields.h"

// Commits a pending entry, then drags value over 0..127 in the field of gScratchRect with the
// note's name shown in spelling style; typed text goes through ApplyTypedValue. changeProc
// receives the value at every step and at the commit (a typed name that does not end with
// its octave leaves the value as it was). Answers the drag's largest movement.
int32_t DragMidiValue(ValueChangeProc changeProc, int32_t value, int32_t style);
// The field's value becomes note and its text the note's name in the remembered style (then
// forgotten); the field is redrawn.
void ShowNoteValue(int32_t note);
// The typed-entry step: digits alone (the field's own number entry), an empty text or one not
// ending in a digit only redraw; a name with its octave becomes the value, shown by name.
void ApplyTypedValue(uint8_t ch);
// True after ApplyTypedValue took a typed name.
extern bool gNoteValueTyped;

// Note maps: the 128-entry table (gNoteMap) that gives, for every MIDI note, the note it
// becomes, built from the transpose settings (scale steps, one scale onto another, every note
// to one pitch), from an inversion around a centre note, or from a shift by semitones; and the
// retrograde of a time range. The settings record itself is gRepeatTransposition (the paste's
// repeat transposition shares it).
#pragma once

#include <cstdint>

#include "editing/paste_options.h"
#include "shell/dialogs/dialog_list.h"

// Flags of gRepeatTransposition beside those of editing/paste_options.h.
constexpr uint16_t kTransposeModeMask = 0x0003;     // 0 steps, 1 scale to scale, 2 one note, 3 keep
constexpr uint16_t kTransposeOneNote = 0x0800;      // mode 2 is chosen
constexpr uint16_t kTransposeSnapBox = 0x1000;      // follows the snap check box with 0x2000
enum : int32_t {
  kNoteMapScaleSteps = 0,
  kNoteMapScaleToScale = 1,
  kNoteMapOneNote = 2,
  kNoteMapKeep = 3,
};
// Bits of gInversionChoice.
constexpr uint8_t kInversionInvert = 0x01;
constexpr uint8_t kInversionRetrograde = 0x02;
extern uint8_t gInversionChoice;

// The remembered pop-up choices of the transpose dialog (menu items from 1): the scales of the
// source, the target and the steps (mode 0 and the inversion), and their keys (1 = C .. 12 = B).
struct TransposeChoices {
  uint8_t fromScale = 3;
  uint8_t toScale = 1;
  uint8_t stepScale = 1;
  uint8_t fromKey = 1;
  uint8_t toKey = 1;
  uint8_t stepKey = 1;
};
extern TransposeChoices gTransposeChoices;

// A scale: its steps in semitones (they add up to 12) and its key (pitch class 0..11).
constexpr int32_t kMaxScaleSteps = 12;
struct ScaleSteps {
  int32_t count = 7;
  uint8_t steps[kMaxScaleSteps] = {2, 2, 1, 2, 2, 2, 1};
  int32_t key = 0;
};
// The scale presets of the pop-ups, numbered from 1 (1 chromatic, 2 natural minor, 3 major, ...).
int32_t CountScalePresets();
const char* GetScalePresetName(int32_t preset);
// The preset in key (pitch class); an unknown preset gives the chromatic scale.
ScaleSteps LoadScaleSteps(int32_t preset, int32_t key);

// The note's place in the scale: *index counts scale degrees from the key's C-octave degree 0
// (octaves x count + degree), *offset the semitones above that degree.
void LocateNoteInScaleSteps(const ScaleSteps& scale, int32_t note, int32_t* index, int32_t* offset);
// The note at degree index of the scale, plus offset semitones (not folded).
int32_t ScaleStepsNote(const ScaleSteps& scale, int32_t index, int32_t offset);
// note moved by steps degrees of the scale, folded into 0..127.
int32_t TransposeInScale(const ScaleSteps& scale, int32_t note, int32_t steps);

// The map by the mode of flags: 0 every note moved by the scale steps between source and
// target in the source scale, 1 the source scale onto the target scale, 2 every note to
// target, 3 the map as it is.
void BuildNoteMap(uint8_t* map, int32_t mode, int32_t source, int32_t target, const ScaleSteps& from,
                  const ScaleSteps& to);
// Mode 1 alone (see BuildNoteMap).
void BuildScaleToScaleMap(uint8_t* map, const ScaleSteps& from, const ScaleSteps& to);
// The mirror around centre: chromatic 2 x centre - k, else the same number of scale degrees
// the other way.
void BuildInversionMap(uint8_t* map, int32_t centre, bool chromatic, const ScaleSteps& scale);
// map[k] = k - n.
void BuildSemitoneShiftMap(uint8_t* map, int32_t n);
// The drum-map form: the note's row moves by n, wrapping within rows 1..the map's row count,
// and the note becomes the first note of that row; notes without a row keep their pitch.
void BuildDrumRowShiftMap(uint8_t* map, const uint8_t* drumMap, int32_t n);

// On the current track's list: the events in [a, b) (tick non-zero) that are no sequence
// references and that the copy filter accepts get the tick b - (reference - a), the
// reference being the tick, or for a note min(b, tick + duration); the list is sorted after.
void RetrogradeRange(uint32_t a, uint32_t b);

// The editors' note value (the length of new notes and the default snap step) and grid value
// (a snap step of its own, or none), set by the digit keys, the note-value pop-up and the
// tuplet buttons of the main editor's tool bar.
#pragma once

#include <cstdint>

// Mask bits 0..6 are the whole .. 64th lengths; one of the tuplet bits 8..11 at most.
constexpr uint32_t kNoteLengthBits = 0x7F;
constexpr uint32_t kTripletBit = 0x100;
constexpr uint32_t kDottedBit = 0x200;
constexpr uint32_t kQuintupletBit = 0x400;
constexpr uint32_t kSeptupletBit = 0x800;
constexpr uint32_t kTupletBits = 0xFF00;
// The tuplet buttons' bits, as ToggleTupletBit takes them (bits 8..15 of a mask, shifted down).
enum : uint8_t { kTupletTriplet = 1, kTupletDotted = 2, kTupletQuintuplet = 4, kTupletSeptuplet = 8 };
enum : int16_t { kNoteValueField = 0, kGridValueField = 1 };
constexpr int16_t kQuarterLengthBit = 2;

struct NoteValueState {
  int32_t noteValue = 0;  // ticks
  uint32_t noteMask = 0;
  int32_t gridValue = 0;  // ticks; 0: the note value is the grid
  uint32_t gridMask = 0;
  uint8_t noteIndex = 0;  // pop-up indexes (SyncNoteValueIndexes)
  uint8_t gridIndex = 0;
};
extern NoteValueState gNoteValueState;
// The mask bits a plain (unshifted) choice keeps: 0xFFFFFF00 after every choice,
// kKeepAllButDotted at start and after a note has been entered, so that dotting lasts until
// a note has been entered.
extern uint32_t gNoteValueKeepMask;
constexpr uint32_t kKeepAllButDotted = 0xFFFFFD00;
constexpr uint32_t kKeepTuplets = 0xFFFFFF00;

// The note value; a state not set yet (0) becomes a quarter note first.
int32_t GetNoteValue();
// The grid value when it is non-zero, else the note value; never below 1.
int32_t GetSnapGrid();
// After the resolution changed: both values again from their masks.
void RecomputeNoteValuesForResolution();
// Back to a quarter note with no grid of its own (a new program state).
void ResetNoteValues();
// Called after a note was entered: the next plain choice drops the dot.
void NoteWasEntered();

// Sets length bit k (0 whole .. 6 64th) of the note value or the grid (which); unless
// keepOthers the mask is first cut by the keep mask. SetNoteValueBit keeps the others while
// shift is held.
void SetNoteValueBitKeeping(int16_t k, int16_t which, bool keepOthers);
void SetNoteValueBit(int16_t k, int16_t which);
// The value of a mask in ticks at the current resolution: the sum of its length bits,
// dotted x 3/2, else by the tuplet x 2/3, 2/5 or 2/7, rounded; at least 1.
int32_t NoteValueOfMask(uint32_t mask);
void RecomputeNoteValue(int16_t which);
// One of the tuplet buttons (kTuplet*); the grid's with command held. Only in the note,
// drum and audio views.
void ToggleTupletBitFor(uint8_t bit, bool grid);
void ToggleTupletBit(uint8_t bit);
// The digit keys '1', '2', '4', '8', '6' give k = 0..4 (note, drum and audio views only).
void NoteValueKey(int16_t k);
// The note-length table index nearest to length (a tie goes to the shorter entry); 0 when
// the length lies between none of the first 15 pairs.
int16_t NearestNoteLengthIndex(int32_t length);
void SyncNoteValueIndexes();
// The views whose tool bar holds the note-value and tuplet controls (0, 1, 9, 16).
bool IsNoteValueView(int16_t viewMode);

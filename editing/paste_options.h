// The paste settings shared by copy, clear and paste.
#pragma once

#include <cstdint>

constexpr uint8_t kPasteTranspose = 0x02;
constexpr uint8_t kPasteRepeated = 0x04;
constexpr uint8_t kPasteRepeatModeMask = 0x18;  // 0 by count, 1 fill the selection, 2 to the song end
constexpr int32_t kPasteRepeatModeShift = 3;
constexpr uint8_t kPasteAllConductor = 0x20;
constexpr uint8_t kPasteRandomVelocity = 0x40;
constexpr uint8_t kPasteNoSplit = 0x80;  // notes are not split at the range edges

extern uint8_t gPasteOptions;        // saved with the preferences; 0x80 at first
extern uint8_t gPasteMerge;          // 1 while a Merge runs
extern uint32_t gPasteRepeatCount;   // copies for repeat mode 0 (1)
extern uint16_t gVelocityRandomWidth;  // 34
extern int32_t gPasteTrackOffset;

// True when notes are split at the edges of a range (gPasteOptions bit 7 clear).
inline bool SplitsNotesAtEdges() { return (gPasteOptions & kPasteNoSplit) == 0; }

// The repeat transposition: the source note, the target note and the flags.
constexpr uint16_t kTransposeChromatic = 0x0100;   // the interval is target - source
constexpr uint16_t kTransposeRefused = 0x0400;     // a note could not be transposed
constexpr uint16_t kTransposeSnapToScale = 0x2000;
struct RepeatTransposition {
  uint8_t sourceNote = 60;
  uint8_t targetNote = 60;
  uint16_t flags = 0;
};
extern RepeatTransposition gRepeatTransposition;

// The repeat mode of gPasteOptions (bits 3..4).
inline int32_t PasteRepeatMode() { return (gPasteOptions & kPasteRepeatModeMask) >> kPasteRepeatModeShift; }

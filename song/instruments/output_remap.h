// Output remapping: a song made on another setup can name outputs (an output kind and a port)
// that are not present here. After a song becomes current the program collects the missing
// pairs of its tracks and of the instruments into a table of at most 8 entries, proposes a
// replacement for each (a MIDI port of a similar name; a choice remembered as a 'pChg'
// resource of the preferences file for the kinds that keep one; else no output), lets the
// user confirm or change them (the remap dialog), and rewrites every stored pair through the
// table. Main thread only.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

constexpr int32_t kMaxRemapEntries = 8;
constexpr uint8_t kNoOutputKind = 11;
constexpr ResType kPortChoiceType = 'pChg';

struct OutputRemapEntry {
  uint8_t kind = 0, port = 0;        // the missing pair
  uint8_t newKind = 0, newPort = 0;  // its replacement
  Str255 name{};                     // the missing port's display name
};
extern OutputRemapEntry gRemapTable[kMaxRemapEntries];
extern int32_t gRemapCount;

void ClearRemapTable();
// The pair's replacement when it is in the table and differs: rewrites both bytes, marks the
// song modified and answers true.
bool RemapOutput(uint8_t* kind, uint8_t* port);
bool IsPortInRemapTable(uint8_t kind, uint8_t port);
// A new entry for a missing pair with its proposed replacement (nothing when the table is
// full or holds the pair already). name: the holder's name for the port, or empty.
void AddPortRemap(uint8_t kind, uint8_t port, ConstStr255Param name);
// The present MIDI port whose name is nearest to name (counting the occurrences of each byte;
// a bracketed missing name is taken from its second character), within the name's length
// less one: true with (18, its index).
bool FindSimilarPort(ConstStr255Param name, uint8_t* kind, uint8_t* port);
// True when the driver of kind does not know the port; name gets the pair's display name.
bool IsOutputMissing(uint8_t kind, uint8_t port, Str255 name);
// True when a track of the current song (tracks that play an instrument are left to the
// instrument) or an enabled part of an instrument names a missing output.
bool AnyOutputMissing();
// Fills the table from the current song's tracks and the instruments; answers the count.
int32_t CollectMissingOutputs();
// Rewrites every track's and instrument part's pair (and the default instrument device)
// through the table as one undo step; with remember, stores the choices for the kinds that
// keep them as 'pChg' resources of the preferences file.
void ApplyOutputRemapping(bool remember);
// The outputs a replacement may be: no output, then every present MIDI port.
int32_t CountReplacementChoices();
void GetReplacementChoice(int32_t n, uint8_t* kind, uint8_t* port);
// The display name of a replacement (the port's name for a MIDI port), in name.
void GetReplacementName(uint8_t kind, uint8_t port, Str255 name);

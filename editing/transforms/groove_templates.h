// Groove templates: note starts move toward the notes of another part instead of a grid, and
// velocities and durations are pulled toward that part's notes. The part is a 'GRVE' resource
// (a song block with one track entry whose events are the 'TRKD' resource it names) or another
// track of the song.
//
// The groove's note-ons are copied out of their list before anything moves, so a track may be
// grooved by itself. Main thread only.
#pragma once

#include <cstdint>
#include <vector>

#include "editing/transforms/quantize_settings.h"
#include "platform/memory/mac_types.h"

constexpr ResType kGrooveResType = FourCC("GRVE");
constexpr ResType kGrooveEventsResType = FourCC("TRKD");

// The stored 'GRVE' block: a song header and one track entry, 668 bytes in the current form.
constexpr int32_t kGrooveBlockSize = 668;
constexpr int32_t kGrooveTrackEntry = 404;
constexpr int32_t kGrooveResolution = 408;   // u32 ticks per quarter the groove was made at
constexpr int32_t kGrooveLength = 464;       // u32 the track's length: loop length + 1
constexpr int32_t kGrooveEventsId = 472;     // i16 id of the 'TRKD' resource

constexpr int32_t kGrooveApplied = 0;
constexpr int32_t kGrooveHasNoNotes = 1;
constexpr int32_t kGrooveNoNotesText = 34;   // error text: the groove has no notes

constexpr uint8_t kGrooveRejectedFlag = 0x02;  // event flags bit of a note a groove rejected

struct GrooveNote {
  int32_t tick;
  uint8_t velocity;
  uint16_t duration;
};

// A groove ready to apply: its note-ons in time order, its length and whether it loops.
struct Groove {
  std::vector<GrooveNote> notes;
  int32_t length = 0;
  bool loop = false;
};

// The stored block in its current 668-byte form: a 362-byte block gets 186 zero bytes at 218,
// a 548-byte one 120 zero bytes at 542; handles of the header (conductor map, markers, window
// table, extra block) and of the track entry are cleared. False for any other size.
bool UpgradeGrooveBlock(const uint8_t* bytes, int32_t size, std::vector<uint8_t>* block);
// The note-ons of an event list, read by a bounded walk; false when the list is damaged
// (a record that does not fit, or no end record).
bool ReadGrooveNotes(const uint8_t* list, int32_t size, std::vector<GrooveNote>* notes);
// Ticks and durations rescaled from resolution `from` to the program's, the length to
// MulDivRound (length - 1, program, from) + 1. Nothing for an unknown resolution (0).
void RescaleGroove(Groove* groove, int32_t from);

// 'GRVE' id (and its 'TRKD' list) from the resource chain beginning at the preferences file,
// rescaled to the program's resolution and set to loop. noErr, resNotFound, or -1 for a block
// or list that is malformed.
OSErr LoadGrooveResource(int16_t id, Groove* groove);
// The event list, length and loop flag (track flag 0x40) of track number n of the current
// song; false when the track does not exist or has no list.
bool LoadTrackGroove(int32_t trackNumber, Groove* groove);

// The groove pass over the given notes (list order) of the current track. Answers the latest
// note end (for the track length); *moved is set when a start changed.
uint32_t GrooveNotes(const QuantizeSettings* s, const Groove& groove,
                     const std::vector<uint8_t*>& notes, int32_t rejectDistance, bool* moved);

// The groove pass on the current track's notes of the time selection, as one track edit with
// the list sorted afterwards: kGrooveApplied, or kGrooveHasNoNotes when the groove holds no
// note-on (nothing changes). Acts only when the settings quantize starts.
int32_t ApplyGroove(const QuantizeSettings* s, bool loop, Handle grooveEvents,
                    int32_t grooveLength, int32_t rejectDistance);
int32_t ApplyPreparedGroove(const QuantizeSettings* s, const Groove& groove,
                            int32_t rejectDistance);
// ApplyGroove by the track the settings name (apply set to 1); error text 34 when it has no
// note-on.
int32_t ApplyTrackGroove(QuantizeSettings* s, int32_t rejectDistance);
// ApplyGroove by the settings' 'GRVE' resource (apply set to 1); error text 34 when it is
// missing, malformed or without note-ons.
int32_t ApplyGrooveResource(QuantizeSettings* s);
// The first note-on (command 0x90) at or after event, the last at or before it (not before
// listStart); null when there is none.
uint8_t* FindNextNoteOn(uint8_t* event);
uint8_t* FindPrevNoteOn(uint8_t* event, uint8_t* listStart);
// The resource's id, and the resource released.
int16_t GetResourceIdAndRelease(Handle resource);

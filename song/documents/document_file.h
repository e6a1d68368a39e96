// The song document's header (gSongFileHeader), the file version and the name of the open
// document.
//
// The header is a 352-byte big-endian image, written to the file as it lies (in five pieces)
// in front of the document-wide blocks:
//   +0 u16 song slot count   +2 u16 file version   +8 u32 resolution (ticks per quarter)
//   +12 u16 song made current after loading        +18 u8 frame-rate code  +19 u8 seconds
//   +36 font name (length byte, at most 63 characters)   +102 u16 window appearance
//   +104 i16 sync source   +129 u8 entries of the port table   +130 i8 keyboard velocity
//   +136, +140 two RGB triples   +256 twelve handle slots {u32 handle, u32 alternate}
//
// Handle slots: in memory the handle word holds a block this program allocated (0 none). In
// the file the word only says whether a size-prefixed block follows; the reader stores the
// handle it allocates, never the word it read.
#pragma once

#include <cstdint>

#include "platform/files/files.h"
#include "platform/memory/mac_types.h"

constexpr int32_t kSongFileHeaderSize = 352;
constexpr int32_t kFileHeaderFirstPiece = 20;

constexpr int32_t kFileHeaderSlotCount = 0;       // u16
constexpr int32_t kFileHeaderVersion = 2;         // u16
constexpr int32_t kFileHeaderResolution = 8;      // u32
constexpr int32_t kFileHeaderCurrentSong = 12;    // u16
constexpr int32_t kFileHeaderFrameRate = 18;      // u8 0..3
constexpr int32_t kFileHeaderSeconds = 19;        // u8
constexpr int32_t kFileHeaderFontName = 36;       // Str63
constexpr uint8_t kMaxFontNameLength = 63;
constexpr int32_t kFileHeaderAppearance = 102;    // u16
constexpr int32_t kFileHeaderSyncSource = 104;    // i16
constexpr int32_t kFileHeaderPortCount = 129;     // u8
constexpr int32_t kFileHeaderKeyboardVelocity = 130;  // i8
constexpr int32_t kFileHeaderColour1 = 136;       // 3 bytes
constexpr int32_t kFileHeaderColour2 = 140;       // 3 bytes
constexpr int32_t kFileHeaderSlots = 256;         // 12 x 8 bytes
constexpr int32_t kHandleSlotSize = 8;

// The header's pieces as they stand in the file: offset and length.
constexpr int32_t kFileHeaderPieces[5][2] = {{0, 20}, {20, 16}, {36, 82}, {118, 138}, {256, 96}};

// The twelve document-wide slots.
enum DocumentSlot : int32_t {
  kNotepadSlot = 0,          // notepad text (RTF)
  kRemoteControlSlot = 1,    // remote-control assignments
  kDocumentBlockSlot = 2,    // a block kept as it is read
  kPortTableSlot = 3,        // MIDI port table, 64-byte entries
  kFileAliasSlot = 4,        // an alias of a referenced file
  kWindowLayoutSlot = 5,     // the document's window layout
  kPromptAliasSlot = 6,      // an alias looked for with the missing-file prompt
  kReferencedFilesSlot = 7,  // referenced audio files and movies, 64-byte entries
  kDeviceTableSlot = 8,      // plug-in device table, 80-byte entries
  kAudioEngineSlot = 9,      // a block for the audio engine
  kPortNamesSlot = 10,       // port names of output kind 19: u16 count, Pascal strings
  kArpeggiatorSlot = 11,     // arpeggiator slots
  kDocumentSlotCount = 12,
};

// Versions: documents of kOldestSongFileVersion up to gSongFileVersion are in today's form;
// older ones open when their form is converted (IsReadableSongFileVersion, old_song_forms.h)
// and are refused otherwise (kDocumentTooOldErr); newer ones are refused (kDocumentDamagedErr).
constexpr uint16_t kSongFileVersion = 0x700;  // 7.0.0
constexpr uint16_t kOldestSongFileVersion = 1617;
extern uint16_t gSongFileVersion;

// The application's messages for documents.
constexpr OSErr kDocumentSlotsFullErr = 4;
constexpr OSErr kDocumentTooOldErr = 14;
constexpr OSErr kDocumentDamagedErr = 15;  // made by a newer version, or damaged
constexpr OSErr kDocumentSlotsRefusedErr = 21;

// The slot count a new document has, and the songs a document may hold (slots 0..15).
constexpr int32_t kDocumentSongSlots = 32;
constexpr int32_t kMaxDocumentSongs = 16;
// The largest slot table a document may carry.
constexpr int32_t kMaxDocumentSlotCount = 256;

// File type and creator of song documents.
constexpr OSType kSongDocumentType = FourCC("BYSQ");
constexpr OSType kBundleDocumentType = FourCC("Mbun");
constexpr OSType kProgramCreator = FourCC("V|ov");

extern uint8_t gSongFileHeader[kSongFileHeaderSize];
// The open document (an empty name: untitled).
extern FSSpec gCurrentDocumentSpec;

// The address of slot k of a header image.
uint8_t* DocumentSlotCell(uint8_t* header, int32_t k);
Handle GetDocumentSlot(int32_t k);
// Stores h in slot k (alternate word cleared); the old handle is not disposed.
void SetDocumentSlot(int32_t k, Handle h);
// Disposes slot k's handle (and what it owns) and clears the slot.
void DisposeDocumentSlot(uint8_t* header, int32_t k);
// Disposes the handle of slot 2 and clears the slot.
void DisposeDocumentBlock();
// Disposes every slot of a header image (the window layout's pane table, named in its slot
// +600, and the referenced files' forks and aliases included).
void DisposeDocumentHandles(uint8_t* header);

bool IsDocumentNamed();
// The document loses its name (a later save asks for one).
void MarkDocumentUntitled();

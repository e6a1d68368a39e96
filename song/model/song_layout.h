// The layout of a song block: a 404-byte Song header followed by TrackEntry records.
//
// The header and the track records are stored in song documents exactly as they lie in
// memory, so every offset here is fixed. Fields are big-endian and are read and written
// through SongHeaderView / TrackEntryView (or ReadU16BE(p + kSong...) directly); handle
// fields hold 32-bit handle ids, never machine pointers.
//
// Moved fields (one consistent layout):
//   - The song mode is kept at +18 (kSongMode), not at +120: +116..+131 is the 16-byte copy
//     of the track selection, and a byte at +120 would overwrite selection mask byte 2.
//     +18 is otherwise unused, and it is where older documents' song mode (+195) is moved
//     when they are read.
//   - The track group counter (the last group number handed out) is kept at +188
//     (kSongGroupCounter), not at +45: +44..+45 is the u16 index of the current TrackEntry,
//     and writing a byte at +45 would change the current track. Bytes 188..194 are
//     otherwise unused.
//   - The main editor's zooms (kSongEditorScroll .. kSongVerticalZoom, +20..+23) take unused
//     bytes after the song mode; documents written before they existed read them as zero,
//     which the editor takes as nothing stored.
//
// Play settings of a track (kTrackPlayGrid .. kTrackPlayMode, +124..+130): the scheduler's
// play quantise grid, transpose, velocity offset and pattern mode live in the track record so
// that they are saved with the document as the record is. They take the unused bytes between
// the last program (+122) and the preference bytes (+136), in the order the scheduler lists
// them; a new track has them cleared (off), and documents written before they existed read
// as off, since those bytes were always written as zero.
#pragma once

#include <cstdint>

#include "platform/memory/byte_order.h"
#include "platform/memory/mac_types.h"

// ---------------------------------------------------------------------------------------
// Song header (404 bytes)
// ---------------------------------------------------------------------------------------
constexpr int32_t kSongHeaderSize = 404;

constexpr int32_t kSongTrackCount = 0;           // u16 number of TrackEntry records
constexpr int32_t kSongRecordTrack = 6;          // i8 record track number, -1 none
constexpr int32_t kSongSoloCount = 7;            // u8 number of soloed tracks
constexpr int32_t kSongEndTick = 8;              // u32 end tick (start of the bar after the end)
constexpr int32_t kSongTempo = 12;               // u16 tempo at tick 1, tenths of a BPM
constexpr int32_t kSongBarsLow = 14;             // u16 low half of the length in bars
constexpr int32_t kSongKey = 16;                 // u8 key code at tick 1
constexpr int32_t kSongFlags = 17;               // u8 flags, below
constexpr int32_t kSongMode = 18;                // u8 song mode (moved from +120)
constexpr int32_t kSongEditorScroll = 20;        // u16 the main editor's scroll bar value (its left bar)
constexpr int32_t kSongZoomLevel = 22;           // i8 the main editor's horizontal zoom level
constexpr int32_t kSongVerticalZoom = 23;        // u8 the note rows' vertical zoom index
constexpr int32_t kSongConductorLength = 26;     // u32 byte length of the conductor map
constexpr int32_t kSongTicksPerBeat = 30;        // u16 ticks per beat at tick 1
constexpr int32_t kSongBeatsPerBar = 32;         // u8 beats per bar at tick 1
constexpr int32_t kSongArmedCount = 33;          // u8 tracks armed for recording
constexpr int32_t kSongTempoFactor = 38;         // u16 tempo factor, 2048 = 100 %
constexpr int32_t kSongCurrentEntry = 44;        // u16 index of the current TrackEntry
constexpr int32_t kSongStoredTrack = 46;         // u8 stored track
constexpr int32_t kSongChildX = 47;              // u8 horizontal place of a child sequence
constexpr int32_t kSongOptions = 48;             // u8 option bits, below
constexpr int32_t kSongPrefByte49 = 49;          // u8 copied from the preferences
constexpr int32_t kSongConductorEnd = 50;        // u32 tick after the last conductor record
constexpr int32_t kSongId = 60;                  // u16 song id, unique among the open songs
constexpr int32_t kSongName = 63;                // 32 bytes, the song's name
constexpr int32_t kSongWindowRect1 = 100;        // 8 bytes, a window rectangle
constexpr int32_t kSongWindowRect2 = 108;        // 8 bytes, a window rectangle
constexpr int32_t kSongTrackSelection = 116;     // 16 bytes: first slot, last slot, 14 mask bytes
constexpr int32_t kSongDuration = 132;           // u32 duration in real time (song list)
constexpr int32_t kSongColour = 136;             // 3 x u16 colour
constexpr int32_t kSongSelectionSampleStart = 142;  // u32
constexpr int32_t kSongSelectionSampleEnd = 146;    // u32
constexpr int32_t kSongColumns = 154;            // 11 x u16 list display column positions
constexpr int32_t kSongColumnCount = 11;
constexpr int32_t kSongDisplay182 = 182;         // u16, 5 in a new header
constexpr int32_t kSongDisplay184 = 184;         // u16 from the program-wide defaults
constexpr int32_t kSongDisplay186 = 186;         // u16 from the program-wide defaults
constexpr int32_t kSongGroupCounter = 188;       // u8 last group number given out (moved from +45)
constexpr int32_t kSongMixerItem = 190;          // u16 item of the mixer selection (kind at +332)
constexpr int32_t kSongDrumColumnWidth = 192;   // u8 drum name column width in pixels (below 6: 96)
constexpr int32_t kSongOldSongMode = 195;        // u8 song mode of older files (moved to +18)
constexpr int32_t kSongMovieTrack = 196;         // u8 movie track number + 1, 0 none
constexpr int32_t kSongRate = 198;               // f32 sample rate
constexpr int32_t kSongProgram202 = 202;         // u32 program value
constexpr int32_t kSongProgram206 = 206;         // u32 program value
constexpr int32_t kSongDisplayShift = 219;       // u8 copied from the preferences
constexpr int32_t kSongLocators = 220;           // 8 x 12 bytes: u32 tick, u32 sample, f32 rate
constexpr int32_t kSongLocatorSize = 12;
constexpr int32_t kSongLocatorPairStride = 24;   // pair n: left at +24n, right 12 bytes on
constexpr int32_t kSongLocatorCount = 8;
constexpr int32_t kSongBarsHigh = 330;           // u16 high half of the length in bars
constexpr int32_t kSongSelectionKind = 332;      // u16 kind of the mixer selection (0..4)
constexpr int32_t kSongResolution = 334;         // u16 ticks per quarter note
constexpr int32_t kSongPackedPosition = 348;     // u32 packed song/track/child position
constexpr int32_t kSongConductorMap = 356;       // handle: conductor map
constexpr int32_t kSongHandle364 = 364;          // handle slot
constexpr int32_t kSongMarkerList = 372;         // handle: marker list
constexpr int32_t kSongWindowTable = 380;        // handle: stored panes and window state
constexpr int32_t kSongExtraBlock = 388;         // handle: further per-song block
constexpr int32_t kSongRunTimeWord = 396;        // u32 run-time word

static_assert(kSongMode < kSongTrackSelection || kSongMode >= kSongTrackSelection + 16,
              "the song mode lies outside the track selection copy");
static_assert(kSongGroupCounter > kSongCurrentEntry + 1, "the group counter is a byte of its own");

// Header byte 17.
constexpr uint8_t kSongFlagLinked = 0x80;
constexpr uint8_t kSongFlagEditedWhilePlaying = 0x40;
// Header byte 48.
constexpr uint8_t kSongOptionRepeat = 0x01;
constexpr uint8_t kSongOptionDisplay = 0x02;
constexpr uint8_t kSongOptionListSelected = 0x04;
constexpr uint8_t kSongOptionTimeInSamples = 0x08;

// The column positions of a new header, in field order.
constexpr uint16_t kSongDefaultColumns[kSongColumnCount] = {178, 308, 338, 368, 368, 368,
                                                           368, 398, 428, 488, 888};

// TrackSelection inside the header (and as a record of its own).
constexpr int32_t kSelectionFirstSlot = 0;
constexpr int32_t kSelectionLastSlot = 1;
constexpr int32_t kSelectionMask = 2;
constexpr int32_t kSelectionMaskBytes = 14;
constexpr int32_t kTrackSelectionSize = 16;

// ---------------------------------------------------------------------------------------
// TrackEntry (264 bytes + 8 per child sequence)
// ---------------------------------------------------------------------------------------
constexpr int32_t kTrackEntrySize = 264;
constexpr int32_t kChildCellSize = 8;
constexpr int32_t kMaxChildSequences = 64;
constexpr int32_t kMaxTrackNumbers = 48;      // track numbers 0..47
constexpr uint8_t kNoTrackNumber = 255;

constexpr int32_t kTrackLength = 0;           // u16 record length: 264 + 8 x children
constexpr int32_t kTrackChildCount = 2;       // u8
constexpr int32_t kTrackNumber = 3;           // u8 0..47, 255 none
constexpr int32_t kTrackPendingWord = 8;      // u32
constexpr int32_t kTrackScrollByte = 12;      // u8, 255 in a new track
constexpr int32_t kTrackFlags = 13;           // u8, below
constexpr int32_t kTrackPlayFlags = 16;       // u8, below
constexpr int32_t kTrackMidiOutput = 17;      // u8 from the preferences
constexpr int32_t kTrackSetting18 = 18;       // u32 copied into the template
constexpr int32_t kTrackEventBytes = 22;      // u32 byte length of the event list
constexpr int32_t kTrackName = 26;            // 32 chars, blank-padded
constexpr int32_t kTrackNameLength = 32;
constexpr int32_t kTrackType = 58;            // u8 output driver kind
constexpr int32_t kTrackModeFlags = 59;       // u8, below
constexpr int32_t kTrackTickLength = 60;      // u32 track length in ticks
constexpr int32_t kTrackSetting68 = 68;       // u16 copied into the template
constexpr int32_t kTrackSetting70 = 70;       // u16
constexpr int32_t kTrackProgram = 71;         // u8 program of the first channel's instrument
constexpr int32_t kTrackCentre72 = 72;        // u16, 8192 in a new track
constexpr int32_t kTrackChannelCount = 80;    // u8 channels used in the instrument words
constexpr int32_t kTrackViewMode = 81;        // u8
constexpr int32_t kTrackBank = 82;            // u16 bank word
constexpr int32_t kTrackInstruments = 84;     // u16 per channel, instrument in the high byte
constexpr int32_t kTrackInstrumentSlots = 11;  // 84..105
constexpr int32_t kTrackHeader104 = 104;      // u16
constexpr int32_t kTrackSigned106 = 106;      // i8, -1 in a new track
constexpr int32_t kTrackSigned107 = 107;      // i8, -1 in a new track
constexpr int32_t kTrackHeader108 = 108;      // u16
constexpr int32_t kTrackHeader110 = 110;      // u16
constexpr int32_t kTrackSetting116 = 116;     // u32 copied into the template
constexpr int32_t kTrackOutputKind = 120;     // u8
constexpr uint8_t kAudioTrackOutputKind = 1;       // output kinds of byte 120: an audio track
constexpr uint8_t kInstrumentTrackOutputKind = 3;  // a track that plays an instrument
constexpr int32_t kTrackOutputFlags = 121;    // u8: bit 3 second region list active
constexpr int32_t kTrackLastProgram = 122;    // i16, -1 in a new track
constexpr int32_t kTrackPlayGrid = 124;       // i16 play quantise grid in ticks, 0 off
constexpr int32_t kTrackTranspose = 126;      // i16 semitones added to notes when played
constexpr int32_t kTrackVelocityOffset = 128; // i16 added to velocities when played
constexpr int32_t kTrackPlayMode = 130;       // u8 0 normal, else a pattern track (3: sections stay)
constexpr int32_t kTrackDeviceChannel1 = 136; // u8 from the preferences
constexpr int32_t kTrackDeviceChannel2 = 137; // u8 from the preferences
constexpr int32_t kTrackGroup = 138;          // u8 group number, 0 none
constexpr int32_t kTrackEndpointId = 144;     // u32
constexpr int32_t kTrackWord148 = 148;        // u16, 0xFFFF in a new track
constexpr int32_t kTrackLaneController = kTrackWord148;  // the controller its lanes show; 128 and up none
constexpr int32_t kTrackPortValue = 150;      // u16
constexpr int32_t kTrackEndpointName = 152;   // 16 bytes: length-prefixed, at most 15 characters
constexpr int32_t kTrackEndpointNameSize = 16;
constexpr int32_t kTrackSetting168 = 168;     // u8 copied into the template
constexpr int32_t kTrackArpeggiatorSlot = 170;  // u8
constexpr int32_t kTrackInstrumentWord176 = 176;  // u32 copied into the template
constexpr int32_t kTrackInstrumentWord180 = 180;  // u32 copied into the template
constexpr int32_t kTrackFirstEventOffset = 192;   // u32 byte offset of the first event while locked
constexpr int32_t kTrackPlayCursorStart = 200;    // u32 the same, kept as the play cursor start
constexpr int32_t kTrackSetting208 = 208;     // u32 copied into the template
constexpr int32_t kTrackEventList = 216;      // handle: event list
constexpr int32_t kTrackSectionList = 224;    // handle: section list
constexpr int32_t kTrackRegionList = 232;     // handle: first audio-region list / track audio
constexpr int32_t kTrackDrumData = 240;       // handle: drum map
constexpr int32_t kTrackExtraBlock = 248;     // handle: further per-track block
constexpr int32_t kTrackRegionList2 = 256;    // handle: second audio-region list
constexpr int32_t kTrackChildTable = 264;     // n x {u32 song handle, u32 0}

// The six handle fields of a track, in stored order.
constexpr int32_t kTrackHandleFields[6] = {kTrackEventList,  kTrackSectionList,
                                           kTrackRegionList, kTrackDrumData,
                                           kTrackExtraBlock, kTrackRegionList2};

// TrackEntry byte 13.
constexpr uint8_t kTrackFlagSolo = 0x01;
constexpr uint8_t kTrackFlagMute = 0x02;
constexpr uint8_t kTrackFlagAudible = 0x04;
constexpr uint8_t kTrackFlagInstrumentSet = 0x08;
constexpr uint8_t kTrackFlagSilent = 0x10;
constexpr uint8_t kTrackFlagPlaysInstrument = 0x20;
constexpr uint8_t kTrackFlag40 = 0x40;
// TrackEntry byte 16.
constexpr uint8_t kTrackPlayFlagNew = 0x08;
constexpr uint8_t kTrackPlayFlagNoTemplate = 0x10;
constexpr uint8_t kTrackPlayFlagLengthIgnoresSections = 0x20;
// TrackEntry byte 59.
constexpr uint8_t kTrackModeSection = 0x01;
constexpr uint8_t kTrackModeTwinSections = 0x02;
constexpr uint8_t kTrackModeHandlesBit = 0x04;
constexpr uint8_t kTrackModeTemplateBit = 0x08;
constexpr uint8_t kTrackModeArmed = 0x10;
constexpr uint8_t kTrackModePref40 = 0x40;
constexpr uint8_t kTrackModePref80 = 0x80;
// TrackEntry byte 121.
constexpr uint8_t kTrackOutputSecondRegions = 0x08;

// Size of a song block with n tracks of 264 bytes each.
constexpr int32_t SongBlockSizeFor(int32_t n) { return kSongHeaderSize + kTrackEntrySize * n; }

// ---------------------------------------------------------------------------------------
// Views
// ---------------------------------------------------------------------------------------
// A view holds a plain address: it lives only while the song block is locked.
struct SongHeaderView : RecordView {
  using RecordView::RecordView;
  uint16_t TrackCount() const { return U16(kSongTrackCount); }
  void SetTrackCount(uint16_t n) { SetU16(kSongTrackCount, n); }
  int8_t RecordTrack() const { return I8(kSongRecordTrack); }
  void SetRecordTrack(int8_t n) { SetI8(kSongRecordTrack, n); }
  uint8_t SoloCount() const { return U8(kSongSoloCount); }
  void SetSoloCount(uint8_t n) { SetU8(kSongSoloCount, n); }
  uint32_t EndTick() const { return U32(kSongEndTick); }
  void SetEndTick(uint32_t t) { SetU32(kSongEndTick, t); }
  uint16_t Tempo() const { return U16(kSongTempo); }
  void SetTempo(uint16_t v) { SetU16(kSongTempo, v); }
  uint32_t Bars() const { return (uint32_t(U16(kSongBarsHigh)) << 16) | U16(kSongBarsLow); }
  void SetBars(uint32_t n) {
    SetU16(kSongBarsLow, uint16_t(n));
    SetU16(kSongBarsHigh, uint16_t(n >> 16));
  }
  uint8_t Key() const { return U8(kSongKey); }
  void SetKey(uint8_t k) { SetU8(kSongKey, k); }
  uint8_t Flags() const { return U8(kSongFlags); }
  void SetFlags(uint8_t f) { SetU8(kSongFlags, f); }
  bool IsLink() const { return (Flags() & kSongFlagLinked) != 0; }
  uint32_t ConductorLength() const { return U32(kSongConductorLength); }
  void SetConductorLength(uint32_t n) { SetU32(kSongConductorLength, n); }
  uint16_t TicksPerBeat() const { return U16(kSongTicksPerBeat); }
  void SetTicksPerBeat(uint16_t n) { SetU16(kSongTicksPerBeat, n); }
  uint8_t BeatsPerBar() const { return U8(kSongBeatsPerBar); }
  void SetBeatsPerBar(uint8_t n) { SetU8(kSongBeatsPerBar, n); }
  uint8_t ArmedCount() const { return U8(kSongArmedCount); }
  void SetArmedCount(uint8_t n) { SetU8(kSongArmedCount, n); }
  uint16_t TempoFactor() const { return U16(kSongTempoFactor); }
  void SetTempoFactor(uint16_t f) { SetU16(kSongTempoFactor, f); }
  uint16_t CurrentEntry() const { return U16(kSongCurrentEntry); }
  void SetCurrentEntry(uint16_t n) { SetU16(kSongCurrentEntry, n); }
  uint8_t Options() const { return U8(kSongOptions); }
  void SetOptions(uint8_t v) { SetU8(kSongOptions, v); }
  bool Repeats() const { return (Options() & kSongOptionRepeat) != 0; }
  uint32_t ConductorEnd() const { return U32(kSongConductorEnd); }
  void SetConductorEnd(uint32_t t) { SetU32(kSongConductorEnd, t); }
  uint16_t Id() const { return U16(kSongId); }
  void SetId(uint16_t id) { SetU16(kSongId, id); }
  uint8_t* TrackSelection() const { return bytes() + kSongTrackSelection; }
  uint32_t Duration() const { return U32(kSongDuration); }
  void SetDuration(uint32_t v) { SetU32(kSongDuration, v); }
  uint8_t GroupCounter() const { return U8(kSongGroupCounter); }
  void SetGroupCounter(uint8_t v) { SetU8(kSongGroupCounter, v); }
  uint8_t SongMode() const { return U8(kSongMode); }
  void SetSongMode(uint8_t v) { SetU8(kSongMode, v); }
  uint8_t MovieTrack() const { return U8(kSongMovieTrack); }
  void SetMovieTrack(uint8_t v) { SetU8(kSongMovieTrack, v); }
  uint16_t SelectionKind() const { return U16(kSongSelectionKind); }
  void SetSelectionKind(uint16_t v) { SetU16(kSongSelectionKind, v); }
  uint16_t Resolution() const { return U16(kSongResolution); }
  void SetResolution(uint16_t v) { SetU16(kSongResolution, v); }
  Handle ConductorMap() const { return Handle(U32(kSongConductorMap)); }
  void SetConductorMap(Handle h) { SetU32(kSongConductorMap, h.id); }
  Handle MarkerList() const { return Handle(U32(kSongMarkerList)); }
  void SetMarkerList(Handle h) { SetU32(kSongMarkerList, h.id); }
  Handle WindowTable() const { return Handle(U32(kSongWindowTable)); }
  void SetWindowTable(Handle h) { SetU32(kSongWindowTable, h.id); }
  Handle ExtraBlock() const { return Handle(U32(kSongExtraBlock)); }
  void SetExtraBlock(Handle h) { SetU32(kSongExtraBlock, h.id); }
  uint8_t* FirstTrack() const { return bytes() + kSongHeaderSize; }
};

struct TrackEntryView : RecordView {
  using RecordView::RecordView;
  // The record's length as stored (signed: a walk must reject values below 264).
  int16_t Length() const { return I16(kTrackLength); }
  void SetLength(uint16_t n) { SetU16(kTrackLength, n); }
  uint8_t ChildCount() const { return U8(kTrackChildCount); }
  void SetChildCount(uint8_t n) { SetU8(kTrackChildCount, n); }
  uint8_t Number() const { return U8(kTrackNumber); }
  void SetNumber(uint8_t n) { SetU8(kTrackNumber, n); }
  uint8_t Flags() const { return U8(kTrackFlags); }
  void SetFlags(uint8_t f) { SetU8(kTrackFlags, f); }
  uint8_t PlayFlags() const { return U8(kTrackPlayFlags); }
  void SetPlayFlags(uint8_t f) { SetU8(kTrackPlayFlags, f); }
  uint32_t EventBytes() const { return U32(kTrackEventBytes); }
  void SetEventBytes(uint32_t n) { SetU32(kTrackEventBytes, n); }
  uint8_t* Name() const { return bytes() + kTrackName; }
  uint8_t Type() const { return U8(kTrackType); }
  void SetType(uint8_t t) { SetU8(kTrackType, t); }
  uint8_t ModeFlags() const { return U8(kTrackModeFlags); }
  void SetModeFlags(uint8_t f) { SetU8(kTrackModeFlags, f); }
  uint32_t TickLength() const { return U32(kTrackTickLength); }
  void SetTickLength(uint32_t t) { SetU32(kTrackTickLength, t); }
  uint8_t ChannelCount() const { return U8(kTrackChannelCount); }
  void SetChannelCount(uint8_t n) { SetU8(kTrackChannelCount, n); }
  uint16_t Instrument(int channel) const { return U16(kTrackInstruments + 2 * channel); }
  void SetInstrument(int channel, uint16_t v) { SetU16(kTrackInstruments + 2 * channel, v); }
  uint8_t OutputKind() const { return U8(kTrackOutputKind); }
  int16_t PlayGrid() const { return I16(kTrackPlayGrid); }
  int16_t Transpose() const { return I16(kTrackTranspose); }
  int16_t VelocityOffset() const { return I16(kTrackVelocityOffset); }
  uint8_t PlayMode() const { return U8(kTrackPlayMode); }
  uint8_t OutputFlags() const { return U8(kTrackOutputFlags); }
  uint8_t Group() const { return U8(kTrackGroup); }
  void SetGroup(uint8_t g) { SetU8(kTrackGroup, g); }
  Handle EventList() const { return Handle(U32(kTrackEventList)); }
  void SetEventList(Handle h) { SetU32(kTrackEventList, h.id); }
  Handle SectionList() const { return Handle(U32(kTrackSectionList)); }
  void SetSectionList(Handle h) { SetU32(kTrackSectionList, h.id); }
  Handle RegionList() const { return Handle(U32(kTrackRegionList)); }
  void SetRegionList(Handle h) { SetU32(kTrackRegionList, h.id); }
  Handle DrumData() const { return Handle(U32(kTrackDrumData)); }
  void SetDrumData(Handle h) { SetU32(kTrackDrumData, h.id); }
  Handle ExtraBlock() const { return Handle(U32(kTrackExtraBlock)); }
  void SetExtraBlock(Handle h) { SetU32(kTrackExtraBlock, h.id); }
  Handle RegionList2() const { return Handle(U32(kTrackRegionList2)); }
  void SetRegionList2(Handle h) { SetU32(kTrackRegionList2, h.id); }
  // The region list in use: the second one when bit 3 of byte 121 says so.
  Handle ActiveRegionList() const {
    return (OutputFlags() & kTrackOutputSecondRegions) ? RegionList2() : RegionList();
  }
  Handle Child(int n) const { return Handle(U32(kTrackChildTable + kChildCellSize * n)); }
  void SetChild(int n, Handle h) {
    SetU32(kTrackChildTable + kChildCellSize * n, h.id);
    SetU32(kTrackChildTable + kChildCellSize * n + 4, 0);
  }
  uint8_t* ChildCell(int n) const { return bytes() + kTrackChildTable + kChildCellSize * n; }
};

// Song documents written and read back: songs, tracks, event lists, conductor maps, marker
// lists, child sequences, plug-in records, the instrument table and the document-wide blocks.
#include <cstring>

#include "platform/coremidi/midi_services.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "sequencer/midi/coremidi_driver.h"
#include "song/documents/document_file.h"
#include "song/documents/document_open.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/midi_port_table.h"
#include "song/model/child_sequences.h"
#include "song/model/song_bodies.h"
#include "song/model/song_context.h"
#include "song/model/song_database.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/instruments/plugin_records.h"
#include "song/model/track_numbers.h"
#include "song/model/track_play_settings.h"
#include "song/model/utility_track_access.h"
#include "tests/song/documents/document_fixture.h"

namespace doc_test {
namespace {

// Offsets in a document without document-wide blocks, instrument table or media.
constexpr size_t kFirstSongRecord = 352 + 4 + 32 * 4 + 4;

TEST_F(DocumentTest, RichDocumentReadsBackByteForByte) {
  BuildRichDocument();
  std::string songs = SnapshotSongs();
  std::string document = SnapshotDocument();
  ASSERT_EQ(noErr, Save("rich.bysq"));
  // Change the open document, so that only the file can bring the old state back.
  CloseSongDocument();
  ResetSongDatabase();
  ASSERT_NE(songs, SnapshotSongs());

  ASSERT_EQ(noErr, Open("rich.bysq"));
  EXPECT_EQ(songs, SnapshotSongs());
  EXPECT_EQ(document, SnapshotDocument());
  EXPECT_EQ(gSongFileVersion, ReadU16BE(gSongFileHeader + kFileHeaderVersion));
  EXPECT_EQ(0, gSongModified);
  EXPECT_TRUE(IsDocumentNamed());

  // A document read back writes the same document again.
  ASSERT_EQ(noErr, Save("again.bysq"));
  CloseSongDocument();
  ResetSongDatabase();
  ASSERT_EQ(noErr, Open("again.bysq"));
  EXPECT_EQ(songs, SnapshotSongs());
  EXPECT_EQ(document, SnapshotDocument());
}

// A track's audio record read back names no movie of the session that wrote it: the movie word
// and the movie's edit state come back cleared, the rest of the record as it was.
TEST_F(DocumentTest, ATracksAudioRecordComesBackWithoutTheWritersMovieState) {
  MakeSong(0, 2);
  FillTrack(1, 2, 5);
  AddTrackBlocks(1, 5);
  Handle record = TrackEntryView(gCurrentTrack).RegionList();
  uint8_t* p = reinterpret_cast<uint8_t*>(*record);
  WriteU32BE(p + 86, 0x11223344);
  WriteU32BE(p + 94, 0x55667788);
  float rate = ReadF32BE(p + kPluginRecordRate);
  ASSERT_EQ(noErr, Save("movie.bysq"));
  CloseSongDocument();
  ResetSongDatabase();
  ASSERT_EQ(noErr, Open("movie.bysq"));
  SetCurrentTrackIndex(1);
  UpdateCurrentTrackPtr();
  for (Handle r : {TrackEntryView(gCurrentTrack).RegionList(), TrackEntryView(gCurrentTrack).RegionList2()}) {
    ASSERT_TRUE(r);
    const uint8_t* q = reinterpret_cast<const uint8_t*>(*r);
    EXPECT_EQ(0u, ReadU32BE(q + 86));
    EXPECT_EQ(0u, ReadU32BE(q + 94));
  }
  EXPECT_EQ(rate, ReadF32BE(reinterpret_cast<const uint8_t*>(*TrackEntryView(gCurrentTrack).RegionList()) + kPluginRecordRate));
}

TEST_F(DocumentTest, TrackPlaySettingsAreSavedAndReadWithTheDocument) {
  MakeSong(0, 3);
  FillTrack(1, 4, 3);
  // Set as the track settings set them; out-of-range values leave the track alone.
  SetCurrentTrackIndex(1);
  UpdateCurrentTrackPtr();
  gSongModified = 0;
  EXPECT_EQ(noErr, SetTrackTranspose(-5));
  EXPECT_EQ(1, gSongModified);
  EXPECT_EQ(noErr, SetTrackVelocityOffset(12));
  EXPECT_EQ(noErr, SetTrackPlayGrid(120));
  EXPECT_EQ(noErr, SetTrackPlayMode(3));
  EXPECT_EQ(paramErr, SetTrackTranspose(128));
  EXPECT_EQ(paramErr, SetTrackVelocityOffset(-128));
  EXPECT_EQ(paramErr, SetTrackPlayGrid(-1));
  EXPECT_EQ(paramErr, SetTrackPlayMode(4));
  SetCurrentTrackIndex(2);
  UpdateCurrentTrackPtr();
  EXPECT_EQ(noErr, SetTrackTranspose(24));
  ASSERT_EQ(noErr, Save("settings.bysq"));
  CloseSongDocument();
  ResetSongDatabase();

  ASSERT_EQ(noErr, Open("settings.bysq"));
  SelectSong(GetSongHandleAt(0));
  struct Expected {
    int32_t track;
    int16_t transpose, velocity, grid;
    uint8_t mode;
  };
  for (Expected e : {Expected{0, 0, 0, 0, 0}, Expected{1, -5, 12, 120, 3}, Expected{2, 24, 0, 0, 0}}) {
    SetCurrentTrackIndex(e.track);
    UpdateCurrentTrackPtr();
    EXPECT_EQ(e.transpose, GetTrackTranspose()) << "track " << e.track;
    EXPECT_EQ(e.velocity, GetTrackVelocityOffset()) << "track " << e.track;
    EXPECT_EQ(e.grid, GetTrackPlayGrid()) << "track " << e.track;
    EXPECT_EQ(e.mode, GetTrackPlayMode()) << "track " << e.track;
  }
}

TEST_F(DocumentTest, SongsChildrenAndLinksKeepTheirPlaces) {
  BuildRichDocument();
  ASSERT_EQ(noErr, Save("songs.bysq"));
  ASSERT_EQ(noErr, Open("songs.bysq"));
  EXPECT_TRUE(GetSongHandleAt(0));
  EXPECT_TRUE(GetSongHandleAt(3));
  EXPECT_TRUE(GetSongHandleAt(15));
  EXPECT_FALSE(GetSongHandleAt(1));
  SelectSongIndex(0);
  SelectSong(GetSongHandleAt(0));
  SetCurrentTrackIndex(0);
  ASSERT_EQ(3, GetChildCount());
  Handle link = GetChildSequence(1);
  ASSERT_TRUE(link);
  uint8_t* shell = reinterpret_cast<uint8_t*>(*link);
  EXPECT_TRUE(shell[kSongFlags] & kSongFlagLinked);
  EXPECT_EQ(0u, ReadU32BE(shell + kSongConductorMap)) << "a link holds no lists of its own";
  EXPECT_EQ(0u, ReadU32BE(shell + kSongMarkerList));
  EXPECT_EQ(SongHeaderView(reinterpret_cast<uint8_t*>(*GetSongHandleAt(3))).Id(), SongHeaderView(shell).Id());
}

TEST_F(DocumentTest, TrackWithoutNumberIsAcceptedAndGivenOne) {
  MakeSong(0, 3);
  for (int32_t t = 0; t < 3; ++t) FillTrack(t, 2, uint8_t(t));
  GetTrackEntryAt(1)[kTrackNumber] = kNoTrackNumber;
  ASSERT_EQ(noErr, Save("numbers.bysq"));
  ASSERT_EQ(noErr, Open("numbers.bysq"));
  uint8_t a = GetTrackEntryAt(0)[kTrackNumber];
  uint8_t b = GetTrackEntryAt(1)[kTrackNumber];
  uint8_t c = GetTrackEntryAt(2)[kTrackNumber];
  EXPECT_LT(b, kMaxTrackNumbers);
  EXPECT_NE(a, b);
  EXPECT_NE(c, b);
}

TEST_F(DocumentTest, VersionsAndSlotCountsOfTheHeader) {
  BuildSmallDocument();
  ASSERT_EQ(noErr, Save("v.bysq"));
  std::string good = ReadFile("v.bysq");
  struct Case {
    const char* what;
    uint16_t version;
    uint16_t slots;
    OSErr result;
  } cases[] = {
      {"the program's own version", gSongFileVersion, 32, noErr},
      {"one version newer", uint16_t(gSongFileVersion + 1), 32, kDocumentDamagedErr},
      {"the last version of the forms that are not read", 1039, 32, kDocumentTooOldErr},
      {"a version of the first forms", 263, 32, kDocumentTooOldErr},
      {"fewer than 32 slots are read as 32", gSongFileVersion, 20, noErr},
      {"more slots than a document may have", gSongFileVersion, 300, kDocumentDamagedErr},
  };
  for (const Case& c : cases) {
    std::string bytes = good;
    PutU16(&bytes, 2, c.version);
    PutU16(&bytes, 0, c.slots);
    WriteFile("case.bysq", bytes);
    EXPECT_EQ(c.result, Open("case.bysq")) << c.what;
    if (c.result == noErr) {
      EXPECT_EQ(32, gSongCount) << c.what;
    }
  }
}

TEST_F(DocumentTest, DocumentBlocksAreCheckedAndCompleted) {
  BuildSmallDocument();
  SetDocumentSlot(kPortTableSlot, NewHandleClear(3 * 64 + 10));  // a part entry at the end
  Handle layout = NewHandleClear(608);
  Handle panes = NewHandleClear(kSongPaneTableSize);
  WriteU32BE(*layout + 600, panes.id);
  SetDocumentSlot(kWindowLayoutSlot, layout);
  ASSERT_EQ(noErr, Save("blocks.bysq"));
  std::string bytes = ReadFile("blocks.bysq");
  bytes[kFileHeaderFontName] = char(200);  // a font name longer than a name can be
  WriteFile("blocks.bysq", bytes);

  ASSERT_EQ(noErr, Open("blocks.bysq"));
  Handle table = GetDocumentSlot(kPortTableSlot);
  ASSERT_TRUE(table);
  EXPECT_EQ(128 * 64, GetHandleSize(table));
  EXPECT_EQ(128, gSongFileHeader[kFileHeaderPortCount]);
  EXPECT_EQ(63, gSongFileHeader[kFileHeaderFontName]);
  Handle readLayout = GetDocumentSlot(kWindowLayoutSlot);
  ASSERT_TRUE(readLayout);
  Handle readPanes(ReadU32BE(*readLayout + 600));
  ASSERT_TRUE(IsValidHandle(readPanes));
  EXPECT_EQ(kSongPaneTableSize, GetHandleSize(readPanes));
}

TEST_F(DocumentTest, PortTableIsCutToWhatItsCountByteHolds) {
  BuildSmallDocument();
  SetDocumentSlot(kPortTableSlot, NewHandleClear(300 * 64));
  ASSERT_EQ(noErr, Save("ports.bysq"));
  ASSERT_EQ(noErr, Open("ports.bysq"));
  EXPECT_EQ(255 * 64, GetHandleSize(GetDocumentSlot(kPortTableSlot)));
  EXPECT_EQ(255, gSongFileHeader[kFileHeaderPortCount]);
}

TEST_F(DocumentTest, FirstSongRecordFollowsTheSlotTable) {
  BuildSmallDocument();
  ASSERT_EQ(noErr, Save("layout.bysq"));
  std::string bytes = ReadFile("layout.bysq");
  uint16_t length = GetU16(bytes, kFirstSongRecord);
  EXPECT_EQ(uint32_t(SongBlockSize(2) + 8), length) << "header, two tracks and one child cell";
  EXPECT_EQ(2u, GetU16(bytes, kFirstSongRecord + 2)) << "the song's track count";
}

// A track that names a MIDI destination by a unique ID that no endpoint has any longer finds it
// again by the name it keeps (at most 15 characters of it); a known ID, and an ID whose name
// matches nothing, stay as they are.
TEST_F(DocumentTest, ATrackFindsItsMidiDestinationByNameWhenItsIdIsGone) {
  MIDIClientRef client = 0;
  ASSERT_EQ(noErr, MIDIClientCreate(CFSTR("Document test"), nullptr, nullptr, &client));
  MIDIEndpointRef destination = 0;
  MIDIReadProc ignore = [](const MIDIPacketList*, void*, void*) {};
  ASSERT_EQ(noErr, MIDIDestinationCreate(client, CFSTR("Studio Synth Module"), ignore, nullptr, &destination));
  uint32_t found = GetEndpointUniqueID(destination);
  ASSERT_NE(0u, found);
  struct Case {
    uint32_t id;
    const char* name;
    uint32_t want;
  } cases[] = {{0x7F00AA01, "Studio Synth Mo", found}, {found, "Other", found}, {0x7F00AA02, "Nowhere", 0x7F00AA02}};
  MakeSong(0, 3);
  for (int32_t i = 0; i < 3; ++i) {
    uint8_t* track = GetTrackEntryAt(i);
    WriteU32BE(track + kTrackEndpointId, cases[i].id);
    size_t n = std::strlen(cases[i].name);
    track[kTrackEndpointName] = uint8_t(n);
    std::memcpy(track + kTrackEndpointName + 1, cases[i].name, n);
  }
  ASSERT_EQ(noErr, Save("endpoints.bysq"));
  CloseSongDocument();
  ResetSongDatabase();
  ASSERT_EQ(noErr, Open("endpoints.bysq"));
  for (int32_t i = 0; i < 3; ++i) EXPECT_EQ(cases[i].want, ReadU32BE(GetTrackEntryAt(i) + kTrackEndpointId)) << i;
  MIDIEndpointDispose(destination);
  MIDIClientDispose(client);
}

TEST_F(DocumentTest, AnOpenedDocumentsInstrumentsFindTheirPortsInThisSetUp) {
  MakeSong(0, 1);
  ASSERT_EQ(noErr, CreateInstrumentTable(2, kDeviceKindMidiPort));
  const uint16_t ids[2] = {0x33, 0x99};  // a port this set-up has, and one it lacks
  for (int32_t i = 0; i < 2; ++i) {
    WriteU16BE(GetInstrumentRecord(i) + kInstPortValues, ids[i]);
    GetInstrumentRecord(i)[kInstPorts] = 0;
  }
  ASSERT_EQ(noErr, Save("ports.bysq"));
  CloseSongDocument();
  ResetSongDatabase();
  gPortTable = NewHandleClear(3 * kPortEntrySize);
  for (int32_t i = 0; i < 3; ++i) WriteU16BE(*gPortTable + i * kPortEntrySize, uint16_t(0x11 * (i + 1)));
  gPortCount = 3;
  ASSERT_EQ(noErr, Open("ports.bysq"));
  EXPECT_EQ(2, GetInstrumentRecord(0)[kInstPorts]) << "the port with id 0x33 is third here";
  EXPECT_EQ(0, GetInstrumentRecord(1)[kInstPorts]) << "a port this set-up lacks keeps its place";
  DisposeHandle(gPortTable);
  gPortTable = Handle();
  gPortCount = 0;
}

}  // namespace
}  // namespace doc_test

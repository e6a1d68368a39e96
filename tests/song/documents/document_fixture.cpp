#include "tests/song/documents/document_fixture.h"

#include <dirent.h>

#include <algorithm>
#include <cstring>

#include "sequencer/midi/midi_port_build.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "song/model/media_hooks.h"
#include "platform/text/pascal_strings.h"
#include "platform/dialogs/param_text.h"
#include "platform/resources/resource_files.h"
#include "platform/resources/resource_manager.h"
#include "shell/app/program_hooks.h"
#include "shell/base/error_report_hooks.h"
#include "shell/base/progress_hooks.h"
#include "shell/menus/alias_lists.h"
#include "song/instruments/output_kinds.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/markers.h"
#include "song/documents/document_file.h"
#include "song/documents/document_open.h"
#include "song/documents/document_writer.h"
#include "song/documents/media_references.h"
#include "song/events/event_lists.h"
#include "song/events/seq_event.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/plugin_records.h"
#include "song/model/child_sequences.h"
#include "song/model/song_bodies.h"
#include "song/model/song_context.h"
#include "song/model/song_database.h"
#include "song/model/song_layout.h"
#include "song/model/track_sections.h"
#include "song/model/songs.h"
#include "song/model/track_entries.h"
#include "song/model/utility_iteration.h"
#include "song/model/utility_track_access.h"

namespace doc_test {

namespace {

Handle NewFilledHandle(Size size, uint8_t seed) {
  Handle h = NewHandleClear(size);
  uint8_t* p = reinterpret_cast<uint8_t*>(*h);
  for (Size i = 0; i < size; ++i) p[i] = uint8_t(seed + i * 7);
  return h;
}

std::string Bytes(const uint8_t* p, size_t n) { return std::string(reinterpret_cast<const char*>(p), n); }

std::string HandleText(Handle h) {
  if (!h || !IsValidHandle(h)) return "<none>";
  return "[" + std::to_string(GetHandleSize(h)) + "]" + Bytes(reinterpret_cast<uint8_t*>(*h), size_t(GetHandleSize(h)));
}

std::string WordBlock(const uint8_t* p, int32_t offset) { return HandleText(Handle(ReadU32BE(p + offset))); }

std::string PluginRecordText(Handle record) {
  if (!record || !IsValidHandle(record)) return "<no record>";
  std::string bytes = Bytes(reinterpret_cast<uint8_t*>(*record), size_t(GetHandleSize(record)));
  if (bytes.size() < size_t(kPluginRecordBytes)) return "<short record>" + bytes;
  const uint8_t* p = reinterpret_cast<uint8_t*>(*record);
  std::string out = bytes.substr(0, kPluginRecordSlotsStart);
  out[0] = char(out[0] & ~0x20);
  std::memset(&out[4], 0, 4);
  out[kPluginRecordFlags] = char(out[kPluginRecordFlags] & ~0x50);
  for (int32_t offset : {110, 126, 134, 150}) out += WordBlock(p, offset);
  return out;
}

std::string SongText(Handle h, bool isChild);

std::string TrackText(uint8_t* entry, bool isChild) {
  std::string out;
  out += "events" + WordBlock(entry, kTrackEventList);
  out += "sections" + WordBlock(entry, kTrackSectionList);
  out += "drums" + WordBlock(entry, kTrackDrumData);
  out += "audio" + PluginRecordText(Handle(ReadU32BE(entry + kTrackRegionList)));
  out += "extra" + WordBlock(entry, kTrackExtraBlock);
  out += "audio2" + PluginRecordText(Handle(ReadU32BE(entry + kTrackRegionList2)));
  if (isChild) return out;
  int32_t cells = std::min<int32_t>((ReadI16BE(entry) - kTrackEntrySize) / kChildCellSize, entry[kTrackChildCount]);
  for (int32_t c = 0; c < cells; ++c) {
    Handle child(ReadU32BE(entry + kTrackChildTable + kChildCellSize * c));
    out += "child" + std::to_string(c) + (child ? SongText(child, true) : "<empty>");
  }
  return out;
}

std::string SongText(Handle h, bool isChild) {
  uint8_t* p = reinterpret_cast<uint8_t*>(*h);
  uint32_t length = StoredSongLength(p, GetHandleSize(h));
  std::string block = Bytes(p, length);
  std::memset(&block[kSongPackedPosition], 0, 4);
  std::memset(&block[356], 0, kSongHeaderSize - 356);
  block[kSongOptions] = char(block[kSongOptions] & ~kSongOptionDisplay);
  std::string tracks;
  uint32_t at = kSongHeaderSize;
  for (int32_t k = 0; k < ReadU16BE(p); ++k) {
    std::memset(&block[at + kTrackFirstEventOffset], 0, 4);
    std::memset(&block[at + kTrackPlayCursorStart], 0, 4);
    std::memset(&block[at + kTrackEventList], 0, kTrackEntrySize - kTrackEventList);
    int32_t length = ReadI16BE(p + at);
    std::memset(&block[at + kTrackEntrySize], 0, size_t(length - kTrackEntrySize));
    if (!(isChild && (p[kSongFlags] & kSongFlagLinked))) tracks += "track" + TrackText(p + at, isChild);
    at += uint32_t(length);
  }
  std::string out = "block" + block + tracks;
  if (isChild && (p[kSongFlags] & kSongFlagLinked)) return out;
  Handle map(ReadU32BE(p + kSongConductorMap));
  uint32_t mapLength = ReadU32BE(p + kSongConductorLength) + kConductorRecordSize;
  out += "map" + (map ? Bytes(reinterpret_cast<uint8_t*>(*map), mapLength) : std::string("<none>"));
  out += "markers" + WordBlock(p, kSongMarkerList);
  out += "extra" + WordBlock(p, kSongExtraBlock);
  out += "panes" + WordBlock(p, kSongWindowTable);
  return out;
}

int32_t CountSongs() {
  int32_t n = 0;
  for (int32_t i = 0; i < gSongCount; ++i) n += GetSongHandleAt(i) ? 1 : 0;
  return n;
}

}  // namespace

void PutU16(std::string* s, size_t at, uint16_t v) { WriteU16BE(&(*s)[at], v); }
void PutU32(std::string* s, size_t at, uint32_t v) { WriteU32BE(&(*s)[at], v); }
uint16_t GetU16(const std::string& s, size_t at) { return ReadU16BE(s.data() + at); }
uint32_t GetU32(const std::string& s, size_t at) { return ReadU32BE(s.data() + at); }

void DocumentTest::SetUp() {
  InstallProgramHooks();  // the plug-ins dispose and copy the insert racks
  // The stored forms are compared byte for byte here: the audio layer's merging of the region
  // lists a reader has read is tested with the regions.
  gSongMediaHooks.normalizeReadTrackRegions = nullptr;
  CloseSongDocument();
  DisposeInstrumentTable();
  RebuildInstrumentState();
  ResetSongDatabase();
  ScanMidiPorts(0);  // start-up makes the program's port table, which an open then fills
  handlesAtStart_ = CountLiveHandles();
  forksAtStart_ = CountOpenForks();
}

void DocumentTest::TearDown() {
  CloseSongDocument();
  DisposeInstrumentTable();
  RebuildInstrumentState();
  ResetSongDatabase();
  EXPECT_EQ(handlesAtStart_, CountLiveHandles()) << "handles leaked or freed twice";
  EXPECT_EQ(forksAtStart_, CountOpenForks()) << "forks left open";
}

FSSpec DocumentTest::FileSpecNamed(const std::string& name) const {
  FSSpec fileSpec;
  PathToSpec(Path(name), &fileSpec);
  return fileSpec;
}

std::string DocumentTest::ReadFile(const std::string& name) const { return zarin_test::ReadWholeFile(Path(name)); }

void DocumentTest::WriteFile(const std::string& name, const std::string& bytes) const {
  ASSERT_TRUE(zarin_test::WriteWholeFile(Path(name), bytes));
}

namespace {

// Live tracks carry the driver procedure of their output, as a document read back gives them.
void RefreshTrackDrivers() {
  IterateTracks([](void*) -> int32_t {
    RefreshCurrentTrackDriver();
    return 0;
  }, nullptr);
}

}  // namespace

void DocumentTest::MakeSong(int32_t slot, int32_t tracks) {
  SelectSongIndex(slot);
  if (!gCurrentSong) {
    gCurrentSongIndex = slot;
    AssignUniqueSongId();
    ASSERT_EQ(noErr, AddSong(SongBlockSize(0)));
  }
  ASSERT_EQ(noErr, CreateSongTracks(tracks, 1));
  RefreshTrackDrivers();
  gCurrentSong[kSongName] = uint8_t('A' + slot);
}

void DocumentTest::FillTrack(int32_t index, int32_t events, uint8_t seed) {
  SetCurrentTrackIndex(index);
  std::vector<uint8_t> bytes;
  for (int32_t i = 0; i < events; ++i) {
    size_t at = bytes.size();
    uint32_t time = uint32_t(1 + i * 10);
    switch (i % 3) {
      case 0:
        bytes.resize(at + kLongEventSize);
        FillLongEvent(&bytes[at], time, uint8_t(0x90 | (seed & 15)), uint8_t(seed + i), 100, 48);
        break;
      case 1:
        bytes.resize(at + kShortEventSize);
        FillShortEvent(&bytes[at], time, 0xB0, uint8_t(i & 127), uint8_t(seed & 127));
        break;
      default:
        bytes.resize(at + 24);
        FillVariableEvent(&bytes[at], time, 24);
        bytes[at + kEventData1 + 8] = seed;
    }
  }
  bytes.resize(bytes.size() + kEndRecordSize, 0);
  ASSERT_EQ(noErr, EnsureTrackEventList());
  Handle list = GetCurrentTrackEventList();
  SetHandleSize(list, Size(bytes.size()));
  std::memcpy(*list, bytes.data(), bytes.size());
  WriteU32BE(gCurrentTrack + kTrackEventBytes, uint32_t(bytes.size()));
}

void DocumentTest::AddConductorAndMarkers(uint8_t seed) {
  uint8_t record[kConductorRecordSize];
  MakeConductorRecord(record, kConductorTempo, 0, 400 + seed, uint16_t(1200 + seed), 0);
  ASSERT_EQ(noErr, SetConductorRecord(400 + seed, record));
  MakeConductorRecord(record, kConductorKey, 0, 800, uint8_t(seed % 7) << 8, 0);
  ASSERT_EQ(noErr, SetConductorRecord(800, record));
  MakeConductorRecord(record, kConductorMasterVolume, 0, 900, 100, 0);
  ASSERT_EQ(noErr, SetConductorRecord(900, record));
  const unsigned char first[] = "\005Intro";
  const unsigned char second[] = "\006Chorus";
  ASSERT_EQ(noErr, AddMarker(first, 1, 0, 0, 0));
  ASSERT_EQ(noErr, AddMarker(second, 1536u + seed, 1, 1, 12345));
}

void DocumentTest::AddSongBlocks(uint8_t seed) {
  SongHeaderView(gCurrentSong).SetExtraBlock(NewFilledHandle(40, seed));
  Handle panes = NewFilledHandle(kSongPaneTableSize, seed);
  for (int32_t i = 0; i < kPaneCount; ++i) (*panes)[i * kPaneSize + 15] = char(255);
  SongHeaderView(gCurrentSong).SetWindowTable(panes);
}

Handle DocumentTest::MakePluginRecord(uint8_t seed) {
  Handle record = NewFilledHandle(kPluginRecordBytes, seed);
  uint8_t* p = reinterpret_cast<uint8_t*>(*record);
  p[0] &= uint8_t(~0x20);
  WriteU32BE(p + 4, 0);
  WriteF32BE(p + kPluginRecordRate, 48000.0f);
  p[kPluginRecordFlags] = 0;
  p[38] = 0;  // the overview state a record is saved with; opening a document resets it
  std::memset(p + kPluginRecordSlotsStart, 0, kPluginRecordBytes - kPluginRecordSlotsStart);
  std::memset(p + 86, 0, 4);  // no movie of the writing session (a reader clears them)
  std::memset(p + 94, 0, 4);
  Handle regions = NewFilledHandle(2 * 256, seed);
  Handle tail = NewHandleClear(32);
  (*tail)[12] = 1;
  (*tail)[16 + 12] = 2;
  // No overview cache reference: a record without an overview keeps none through a save (the
  // stored form of the block at +110 is the stored-records test's).
  WriteU32BE(p + 110, 0);
  WriteU32BE(p + kPluginRecordRegions, regions.id);
  WriteU32BE(p + kPluginRecordRackState, NewFilledHandle(20, seed).id);
  p[kPluginRecordFlags] |= kPluginFlagRackPending;
  WriteU32BE(p + kPluginRecordTail, tail.id);
  return record;
}

void DocumentTest::AddTrackBlocks(int32_t index, uint8_t seed) {
  SetCurrentTrackIndex(index);
  TrackEntryView track(gCurrentTrack);
  ASSERT_EQ(noErr, InsertSection(1u + seed, 3u + seed, 2));
  track.SetDrumData(NewFilledHandle(600, seed));
  Handle extra = NewFilledHandle(9, seed);
  (*extra)[0] = 1;
  track.SetExtraBlock(extra);
  track.SetRegionList(MakePluginRecord(seed));
  track.SetRegionList2(MakePluginRecord(uint8_t(seed + 1)));
}

void DocumentTest::AddChildren(int32_t count, int32_t link, uint16_t linkId) {
  int32_t parent = GetCurrentTrackIndex();
  ASSERT_EQ(0, SetChildCount(count));
  for (int32_t i = 0; i < count; ++i) {
    ASSERT_EQ(noErr, PushSongContext());
    SetCurrentTrackIndex(parent);
    GetChildSequence(i);
    ASSERT_EQ(noErr, AddChildSequence(i == link, SongBlockSize(0)));
    if (i == link) {
      SongHeaderView(gCurrentSong).SetId(linkId);
    } else {
      ASSERT_EQ(noErr, CreateSongTracks(2, 1));
      RefreshTrackDrivers();
      FillTrack(0, 5, uint8_t(30 + i));
      FillTrack(1, 4, uint8_t(40 + i));
      AddConductorAndMarkers(uint8_t(i));
    }
    PopSongContext();
  }
}

void DocumentTest::BuildSmallDocument() {
  MakeSong(0, 2);
  FillTrack(0, 3, 1);
  SetCurrentTrackIndex(1);
  AddChildren(1, -1, 0);
  AddConductorAndMarkers(1);
  MakeSong(1, 1);
  FillTrack(0, 2, 2);
  SelectSongIndex(0);
  SelectSong(GetSongHandleAt(0));
}

void DocumentTest::BuildRichDocument() {
  MakeSong(3, 2);
  FillTrack(0, 20, 3);
  FillTrack(1, 7, 4);
  AddConductorAndMarkers(3);
  uint16_t linkedId = SongHeaderView(gCurrentSong).Id();
  MakeSong(0, 3);
  for (int32_t t = 0; t < 3; ++t) FillTrack(t, 10 + t, uint8_t(10 * t));
  AddTrackBlocks(1, 5);
  SetCurrentTrackIndex(0);
  AddChildren(3, 1, linkedId);
  AddConductorAndMarkers(0);
  AddSongBlocks(7);
  MakeSong(15, 1);
  FillTrack(0, 1, 9);
  SelectSongIndex(0);
  SelectSong(GetSongHandleAt(0));

  ASSERT_EQ(noErr, CreateInstrumentTable(3, kDeviceKindMidiPort));
  InstrumentView(GetInstrumentRecord(1)).SetInsertRack(MakePluginRecord(21));
  WriteU32BE(GetInstrumentRecord(0) + kInstPanAssignment, NewFilledHandle(6, 1).id);
  WriteU32BE(GetInstrumentRecord(2) + kInstVolumeAssignment, NewFilledHandle(7, 2).id);

  SetDocumentSlot(kNotepadSlot, NewFilledHandle(100, 1));
  SetDocumentSlot(kRemoteControlSlot, NewFilledHandle(30, 2));
  SetDocumentSlot(kDocumentBlockSlot, NewFilledHandle(10, 3));
  SetDocumentSlot(kPortTableSlot, NewFilledHandle(128 * 64, 4));
  Handle layout = NewFilledHandle(608, 5);
  WriteU32BE(*layout + 600, NewFilledHandle(kSongPaneTableSize, 6).id);
  WriteU32BE(*layout + 604, 0);
  SetDocumentSlot(kWindowLayoutSlot, layout);
  // Two plug-in device records as a saved table holds them: no links, counts at 0.
  Handle devices = NewFilledHandle(160, 7);
  for (int32_t at : {0, 80}) {
    std::memset(*devices + at + 52, 0, 2);
    std::memset(*devices + at + 64, 0, 16);
  }
  SetDocumentSlot(kDeviceTableSlot, devices);
  SetDocumentSlot(kAudioEngineSlot, NewFilledHandle(12, 8));
  Handle names = NewHandleClear(2 + 6 + 5);
  WriteU16BE(*names, 2);
  std::memcpy(*names + 2, "\005Port1\004Out2", 11);
  SetDocumentSlot(kPortNamesSlot, names);
  SetDocumentSlot(kArpeggiatorSlot, NewFilledHandle(64, 9));
  const unsigned char font[] = "\006Geneva";
  std::memcpy(gSongFileHeader + kFileHeaderFontName, font, sizeof font - 1);
  gSongFileHeader[kFileHeaderPortCount] = 128;
}

void AlertTextTest::SetUp() {
  DocumentTest::SetUp();
  savedHooks_ = gErrorReportHooks;
  gErrorReportHooks = ErrorReportHooks();  // the alert's text is read back, not shown
  // With the application's resources a save or an open shows the progress dialog, which keeps
  // what it makes on first use: one is shown and closed before the handles are counted, with
  // the resources it loads released again.
  ASSERT_EQ(noErr, OpenAppResourceFile(ZARIN_TEST_APP_RESOURCES, &appResources_));
  for (int16_t message : {kProgressSavingSong, kProgressOpeningSong, kProgressReadingMidiFile}) {
    BeginProgress(message, 1);
    EndProgress();
  }
  CloseResFile(appResources_);
  handlesAtStart_ = CountLiveHandles();
  ASSERT_EQ(noErr, OpenAppResourceFile(ZARIN_TEST_APP_RESOURCES, &appResources_));
}

void AlertTextTest::TearDown() {
  ForgetRecentFiles();
  gErrorReportHooks = savedHooks_;
  if (appResources_ != -1) CloseResFile(appResources_);
  DocumentTest::TearDown();
}

std::string AlertTextTest::AlertText() {
  ConstStringPtr p = GetParamText(0);
  return std::string(reinterpret_cast<const char*>(p + 1), p[0]);
}

void AlertTextTest::ClearAlertText() {
  const unsigned char kNoText[] = "";
  ParamText(kNoText, kNoText, kNoText, kNoText);
}

void ForgetRecentFiles() {
  for (AliasList* list : {&gSongFileList, &gImportFileList}) {
    for (int32_t i = list->count - 1; list->entries && i >= 0; --i) RemoveAliasListEntry(list, i);
    if (list->entries) DisposeHandle(list->entries);
    list->entries = Handle();
  }
}

std::vector<std::string> NamesInFolder(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* d = opendir(folder.c_str())) {
    while (dirent* e = readdir(d)) {
      std::string name = e->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

OSErr DocumentTest::Save(const std::string& name) {
  FSSpec fileSpec = FileSpecNamed(name);
  return SaveSongDocument(&fileSpec, 0);
}

OSErr DocumentTest::Open(const std::string& name) {
  FSSpec fileSpec = FileSpecNamed(name);
  return OpenSongFile(&fileSpec, 0, false);
}

void DocumentTest::KeepOpenDocument() {
  keptSongs_ = SnapshotSongs();
  keptDocument_ = SnapshotDocument();
}

OSErr DocumentTest::OpenRefused(const std::string& bytes, const std::string& what) {
  WriteFile("refused.bysq", bytes);
  uint32_t handles = CountLiveHandles();
  int forks = CountOpenForks();
  OSErr err = Open("refused.bysq");
  EXPECT_NE(noErr, err) << what;
  EXPECT_EQ(handles, CountLiveHandles()) << what << ": handles leaked";
  EXPECT_EQ(forks, CountOpenForks()) << what << ": forks left open";
  EXPECT_EQ(keptSongs_, SnapshotSongs()) << what << ": the open songs changed";
  EXPECT_EQ(keptDocument_, SnapshotDocument()) << what << ": the open document changed";
  return err;
}

std::string DocumentTest::SnapshotSongs() {
  std::string out = "songs" + std::to_string(CountSongs());
  for (int32_t i = 0; i < gSongCount; ++i) {
    Handle song = GetSongHandleAt(i);
    if (song) out += "slot" + std::to_string(i) + SongText(song, false);
  }
  return out;
}

std::string DocumentTest::SnapshotDocument() {
  std::string out = Bytes(gSongFileHeader + 4, 4) + Bytes(gSongFileHeader + 14, kFileHeaderPortCount - 14) +
                    Bytes(gSongFileHeader + 130, kFileHeaderSlots - 130);
  for (int32_t k = 0; k < kDocumentSlotCount; ++k) {
    Handle h = GetDocumentSlot(k);
    if (k == kWindowLayoutSlot && h) {
      std::string layout = Bytes(reinterpret_cast<uint8_t*>(*h), size_t(GetHandleSize(h)));
      std::memset(&layout[600], 0, 4);
      out += "layout" + layout + WordBlock(reinterpret_cast<uint8_t*>(*h), 600);
    } else if (k == kReferencedFilesSlot && h) {
      for (int32_t i = 0; i < CountReferencedFiles(); ++i) {
        std::string entry = Bytes(GetReferencedFileEntry(i), kReferencedFileSize);
        std::memset(&entry[kRefFlags], 0, 2);
        std::memset(&entry[kRefFork], 0, 4);
        std::memset(&entry[kRefAlias], 0, 8);
        out += "entry" + entry + WordBlock(GetReferencedFileEntry(i), kRefAlias);
      }
    } else {
      out += "slot" + std::to_string(k) + HandleText(h);
    }
  }
  for (int32_t i = 0; gInstrumentTable && i <= GetMasterIndex(); ++i) {
    std::string record = Bytes(GetInstrumentRecord(i), kInstrumentSize);
    for (int32_t at : {kInstPanAssignment, kInstVolumeAssignment, kInstInsertRack}) std::memset(&record[at], 0, 8);
    std::memset(&record[kInstDriverProcs], 0, 32);
    std::memset(&record[kInstMeterLevel], 0, 2);
    std::memset(&record[124], 0, 2);
    std::memset(&record[kInstDisplayNumber], 0, 2);  // numbered for display when installed
    out += "instrument" + record;
    out += PluginRecordText(Handle(ReadU32BE(GetInstrumentRecord(i) + kInstInsertRack)));
    out += WordBlock(GetInstrumentRecord(i), kInstPanAssignment) + WordBlock(GetInstrumentRecord(i), kInstVolumeAssignment);
  }
  return out;
}

}  // namespace doc_test

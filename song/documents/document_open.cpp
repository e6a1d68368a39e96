#include "song/documents/document_open.h"

#include <cstring>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/text/pascal_strings.h"
#include "shell/base/app_state.h"
#include "shell/base/app_strings.h"
#include "shell/base/error_report.h"
#include "shell/base/file_access.h"
#include "shell/base/memory_reserve.h"
#include "song/conductor/conductor_document_header.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/timebase.h"
#include "song/documents/bundle_media.h"
#include "song/documents/document_hooks.h"
#include "song/documents/document_input.h"
#include "song/documents/document_reader.h"
#include "song/instruments/midi_port_table.h"
#include "song/instruments/output_bindings.h"
#include "song/model/transport_hooks.h"
#include "song/documents/instrument_table_io.h"
#include "song/documents/media_references.h"
#include "song/documents/recent_file_hooks.h"
#include "song/events/event_index.h"
#include "song/instruments/midi_hooks.h"
#include "song/instruments/output_kinds.h"
#include "song/instruments/plugin_records.h"
#include "song/model/song_bodies.h"
#include "song/model/song_context.h"
#include "song/model/song_iterators.h"
#include "song/model/song_layout.h"
#include "song/model/song_slots.h"
#include "song/model/songs.h"
#include "song/model/track_entries.h"
#include "song/model/track_numbers.h"
#include "song/model/track_template.h"
#include "song/model/utility_iteration.h"
#include "song/model/utility_track_access.h"
#include "song/prefs/window_layout.h"
#include "song/undo/undo_ring.h"

bool gInstrumentTableFromDocument = false;

namespace {

constexpr uint8_t kTrackOutputBit0 = 0x01;
constexpr uint8_t kTrackOutputBit1 = 0x02;
constexpr uint32_t kMaxDocumentResolution = 0xFFFF;

bool IsLive(Handle h) { return h && IsValidHandle(h); }

// Stationery, an ".msd" file and a file busy elsewhere open as an untitled document.
bool OpensAsUntitled(const FSSpec* fileSpec) {
  FInfo info;
  if (FSpGetFInfo(fileSpec, &info) == noErr && (info.fdFlags & kIsStationery)) return true;
  int n = fileSpec->name[0];
  if (n >= 4 && fileSpec->name[n - 3] == '.' && (fileSpec->name[n - 2] | 0x20) == 'm' &&
      (fileSpec->name[n - 1] | 0x20) == 's' && (fileSpec->name[n] | 0x20) == 'd')
    return true;
  int16_t probe = 0;
  OSErr err = FSpOpenDF(fileSpec, fsRdWrPerm, &probe);
  if (err == noErr) FSClose(probe);
  return err == permErr;
}

void DisposeSongInSlot(int32_t slot) {
  Handle song = GetSongHandleAt(slot);
  if (!song) return;
  SelectSongIndex(slot);
  UpdateCurrentTrackPtr();
  DisposeAllEventIndexes();
  ForEachTrack(DisposeTrackContents, nullptr);
  DisposeSongLists();
  SetSongHandleAt(slot, Handle());
  SetCurrentSong(Handle());
  gCurrentTrack = gTrackTemplate;
  DisposeHandle(song);
}

void LockStoredSongTree(Handle song) {
  if (!IsLive(song)) return;
  LockHandleHigh(song);
  uint8_t* p = reinterpret_cast<uint8_t*>(HandleData(song));
  uint32_t end = StoredSongLength(p, GetHandleSize(song));
  for (uint32_t at = kSongHeaderSize; end != 0 && at < end; at += ReadU16BE(p + at + kTrackLength)) {
    int32_t cells = (ReadI16BE(p + at + kTrackLength) - kTrackEntrySize) / kChildCellSize;
    for (int32_t c = 0; c < cells && c < p[at + kTrackChildCount]; ++c)
      LockStoredSongTree(Handle(ReadU32BE(p + at + kTrackChildTable + kChildCellSize * c)));
  }
}

int32_t RepairTrackAfterLoad(void*) {
  if (gCurrentTrack[kTrackOutputFlags] & kTrackOutputBit0) gCurrentTrack[kTrackOutputFlags] |= kTrackOutputBit1;
  RepairTrackNumber();
  RefreshCurrentTrackDriver();
  RelinkTrackEndpointByName(gCurrentTrack);
  return 0;
}

// Every song and child: track numbers claimed again (a track without one, 255, gets a free
// number), the output flag bit 0 carried into bit 1, the driver procedure of each track's
// output refreshed, and a MIDI endpoint that is no longer found by its ID found by its name.
int32_t RepairSongAfterLoad(SongVisitRecord*) {
  if (IsSongLink()) return 0;
  RebuildTrackNumberMap();
  IterateTracks(RepairTrackAfterLoad, nullptr);
  return 0;
}

void InstallStagedDocument(StagedDocument* doc, const FSSpec* fileSpec, bool untitled) {
  ResetUndoHistory();
  CloseSongDocument();
  gSongHandles = doc->songTable;
  gSongCount = doc->slotCount;
  for (int32_t slot = 0; slot < gSongCount; ++slot) LockStoredSongTree(GetSongHandleAt(slot));
  std::memcpy(gSongFileHeader, doc->header, kSongFileHeaderSize);
  WriteU16BE(gSongFileHeader + kFileHeaderVersion, gSongFileVersion);
  // The document's instruments name their ports by id: this set-up's port table places them.
  InstallInstrumentTableWithPorts(doc->instrumentTable, bool(gPortTable));
  gInstrumentTableFromDocument = true;
  gCurrentDocumentSpec = *fileSpec;
  if (untitled) MarkDocumentUntitled();
  *doc = StagedDocument();
}

void SelectLoadedSong() {
  SongVisitRecord visit;
  visit.callback = RepairSongAfterLoad;
  ForEachSongAndChild(&visit);
  int32_t current = ReadU16BE(gSongFileHeader + kFileHeaderCurrentSong);
  if (current >= gSongCount || !GetSongHandleAt(current)) current = 0;
  SelectSongIndex(current);
  SelectSong(GetSongHandleAt(current));
  RebuildTrackNumberMap();
  uint32_t resolution = ReadU32BE(gSongFileHeader + kFileHeaderResolution);
  if (resolution > 0 && resolution <= kMaxDocumentResolution) {
    gDocumentResolution = uint16_t(resolution);
    bool changed = false;
    AdaptSongFileResolution(&changed);
  }
  WriteU32BE(gSongFileHeader + kFileHeaderResolution, uint32_t(gTicksPerQuarter));
  gDocumentResolution = uint16_t(gTicksPerQuarter);
  NoteConductorMapChanged();
  CacheSongListInClock();
}

// Slot 6's alias goes through the missing-file prompt when it cannot be resolved, and the
// movie entries are opened, when the program allows the document to bring them.
void OpenDocumentAliases(const FSSpec* fileSpec) {
  bool aliases = GetDocumentSlot(kFileAliasSlot) || GetDocumentSlot(kPromptAliasSlot);
  if (aliases && !(gAppState[0] & kAppWord0DocumentAliases)) {
    ReportError(kDocumentSlotsRefusedErr);
    return;
  }
  if (Handle alias = GetDocumentSlot(kPromptAliasSlot)) {
    FSSpec target;
    if (ResolveReferencedAlias(alias, fileSpec, &target) != noErr) {
      int16_t prompt = 0;
      RunMissingFilePrompt(DocumentSlotCell(gSongFileHeader, kPromptAliasSlot), &target,
                           kMissingMovieTextA, kMissingAliasTextB, true, &prompt);
    }
  }
  ReportError(OpenMovieEntries(fileSpec));
}

void FinishLoadedDocument(const FSSpec* fileSpec, bool bundle, bool addToRecent) {
  SelectLoadedSong();
  ApplyMidiPortSetup(!GetDocumentSlot(kPortTableSlot));
  if (Handle table = GetDocumentSlot(kPortTableSlot)) LockHandleHigh(table);
  ApplyDocumentHeaderSettings(gSongFileHeader);
  LoadNotepadText(GetDocumentSlot(kNotepadSlot));
  ApplyLayoutBlock(GetDocumentSlot(kWindowLayoutSlot));
  HandBlockToAudioEngine(GetDocumentSlot(kAudioEngineSlot));
  if (!bundle) {
    int32_t missing = 0;
    OSErr err = OpenReferencedFiles(fileSpec, &missing);
    if (err != noErr && err != fnfErr) ReportError(err);
  }
  OpenDocumentAliases(fileSpec);
  UpdateRegionFileMarks();
  LoadPluginDeviceTable(GetDocumentInputVersion());
  InstantiatePendingInsertRacks();
  LoadOverviewFiles();
  gSongModified = 0;
  if (addToRecent && IsDocumentNamed()) RememberSongFile(fileSpec);
  ReportPendingMemoryAlert();
}

}  // namespace

void CloseSongDocument() {
  ResetPluginDeviceTable();
  ReleaseInstrumentPluginBlocks();
  for (int32_t slot = 0; slot < gSongCount; ++slot) ReleaseSongPluginBlocks(GetSongHandleAt(slot));
  for (int32_t slot = 0; slot < gSongCount; ++slot) DisposeSongInSlot(slot);
  if (gSongHandles) DisposeHandle(gSongHandles);
  gSongHandles = Handle();
  gSongCount = 0;
  gCurrentSongIndex = 0;
  DisposeDocumentHandles(gSongFileHeader);
  std::memset(gSongFileHeader, 0, kSongFileHeaderSize);
}

// A document of a version whose stored form is not read: the message names the file and the
// version it was saved by.
int32_t ReportTooOldDocument(ConstStr255Param fileName) {
  static const unsigned char kBeforeName[] = "\002 \"";
  static const unsigned char kBeforeVersion[] = "\013\", version ";
  static const unsigned char kEnd[] = "\001.";
  Str255 number;
  NumToString(GetDocumentInputVersion(), number);
  gStringBuffer[0] = 0;
  AppendIndString(kAppMessagesStrList, kDocumentTooOldErr);
  const unsigned char* parts[] = {kBeforeName, fileName, kBeforeVersion, number, kEnd};
  for (ConstStr255Param part : parts)
    PLstrcat(gStringBuffer, part);
  return ShowAlertText(gStringBuffer);
}

int32_t ReportDocumentOpenError(OSErr err, ConstStr255Param fileName) {
  if (err == kDocumentTooOldErr) return ReportTooOldDocument(fileName);
  if (err == eofErr || err == kBadPluginRecordErr || err == paramErr) err = kDocumentDamagedErr;
  return ReportFileError(err, fileName, kFileActionOpen);
}

OSErr OpenSongFile(const FSSpec* fileSpec, int16_t isBundle, bool addToRecent) {
  gAppState[4] |= kAppWord4Loading;
  gInsufficientMemoryShown = 0;
  FInfo info;
  if (!isBundle && FSpGetFInfo(fileSpec, &info) == noErr && info.fdType == kBundleDocumentType) isBundle = 1;
  bool untitled = OpensAsUntitled(fileSpec);
  int16_t savedStream = gStreamRefNum;
  // Nothing sounds on while the songs it may play are replaced.
  FlushEveryNoteOffOwner();
  HoldClockNoteOutput(true);
  int16_t fork = 0;
  OSErr err = FSpOpenDF(fileSpec, fsRdPerm, &fork);
  StagedDocument doc;
  if (err == noErr) err = BeginDocumentInput(fork);
  if (err == noErr) err = ReadStagedDocument(&doc, isBundle != 0);
  if (err == noErr) {
    InstallStagedDocument(&doc, fileSpec, untitled);
    bool unpacked = false;
    if (isBundle) ReportError(UnpackEmbeddedMediaFiles(fileSpec, &unpacked));
    FinishLoadedDocument(fileSpec, isBundle != 0, addToRecent);
  }
  if (fork != 0) FSClose(fork);
  HoldClockNoteOutput(false);
  gStreamRefNum = savedStream;
  gAppState[4] &= uint16_t(~kAppWord4Loading);
  if (err != noErr) {
    ReportDocumentOpenError(err, fileSpec->name);
    gInsufficientMemoryShown = 0;  // the memory alert, if any, has been shown
  }
  return err;
}

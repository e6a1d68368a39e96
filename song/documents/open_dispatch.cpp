#include "song/documents/open_dispatch.h"

#include <cstring>

#include "platform/dialogs/param_text.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/resources/resource_manager.h"
#include "shell/base/app_state.h"
#include "shell/base/error_report.h"
#include "shell/base/file_access.h"
#include "song/documents/document_dialog_hooks.h"
#include "song/documents/document_file.h"
#include "song/documents/document_hooks.h"
#include "song/documents/document_open.h"
#include "song/documents/file_kinds.h"
#include "song/documents/recent_file_hooks.h"
#include "song/model/song_context.h"
#include "song/model/song_database.h"
#include "song/model/media_hooks.h"
#include "song/model/song_layout.h"
#include "song/model/song_slots.h"
#include "song/model/songs.h"
#include "song/model/track_numbers.h"
#include "song/model/utility_track_access.h"
#include "song/smf/smf_import.h"

uint8_t gOpenKind = 0;
OSErr gLastOpenResult = noErr;
FSSpec gOpenDocumentSpec;

namespace {

constexpr OSType kMidiType = FourCC("Midi");
constexpr OSType kTextType = FourCC("TEXT");
constexpr OSErr kNotAudioFileResult = -208;
constexpr OSErr kNotOpenableResult = 84;     // no kind of file the program opens
constexpr OSErr kEmptyFileResult = 85;
constexpr int32_t kDamagedSideFileMessage = 86;
const unsigned char kEmpty[] = "";

bool TrackHoldsMaterial(const uint8_t* track) {
  if (track[kTrackName] != ' ' && track[kTrackName] != 0) return true;
  return ReadU32BE(track + kTrackEventList) != 0 || ReadU32BE(track + kTrackRegionList) != 0;
}

// Selects the slot a new MIDI song goes to: the current one while it is bare, else the next
// free slot upward (the table grows as needed, up to slot 15). An empty slot gets a bare song.
OSErr SelectSlotForMidiFile(bool* madeSong) {
  *madeSong = false;
  int32_t slot = gCurrentSongIndex;
  if (gCurrentSong && !IsCurrentSongBare()) {
    slot = gCurrentSongIndex + 1;
    while (slot < gSongCount && GetSongHandleAt(slot)) ++slot;
    if (slot >= kMaxDocumentSongs) return kDocumentSlotsFullErr;
    if (slot >= gSongCount) {
      OSErr err = SetSongSlotCount(slot + 1);
      if (err != noErr) return err;
    }
  }
  SelectSongIndex(slot);
  if (gCurrentSong) return noErr;
  AssignUniqueSongId();
  OSErr err = AddSong(kFirstSongBlockSize);
  if (err != noErr) return err;
  CreateSongTracks(1, 1);
  *madeSong = true;
  return noErr;
}

// What to say of a file that is neither a MIDI file nor anything else the program opens.
OSErr NotOpenableResult(const FSSpec* fileSpec) {
  int16_t refNum = 0;
  uint32_t size = 1;
  if (OpenDataFork(fileSpec, fsRdPerm, &refNum) == noErr) {
    GetForkSize(refNum, &size);
    CloseFork(refNum);
  }
  if (size == 0) return kEmptyFileResult;
  OSType type = 0;
  GetFileKind(fileSpec, &type);
  return type == kMidiType ? kNotMidiFileResult : kNotOpenableResult;
}

OSErr OpenMidiFile(const FSSpec* fileSpec, int32_t arg) {
  if (PushSongContext() != noErr) return memFullErr;
  int32_t slotCount = gSongCount;
  bool madeSong = false;
  OSErr err = arg != 0 ? OSErr(noErr) : SelectSlotForMidiFile(&madeSong);
  if (err == noErr) err = ImportStandardMidiFile(fileSpec, uint32_t(arg), 0);
  if (err == noErr) {
    int32_t slot = gCurrentSongIndex;
    PopSongContext();
    if (arg == 0) {  // the new song stays the current one
      SelectSongIndex(slot);
      SelectSong(GetSongHandleAt(slot));
      RebuildTrackNumberMap();
      MarkDocumentUntitled();
    }
    gOpenKind = kOpenKindOther;
    return noErr;
  }
  if (madeSong) DisposeSong();
  if (gSongCount != slotCount && slotCount > 0) SetSongSlotCount(slotCount);
  PopSongContext();
  if (err != kNotMidiFileResult) return err;
  err = OpenMovieDocument(fileSpec);
  return err == unimpErr ? NotOpenableResult(fileSpec) : err;
}

OSErr OpenByKind(const FSSpec* fileSpec, int16_t kind, OSType type, int32_t arg, bool* reported) {
  switch (kind) {
    case kFileKindSongDocument:
    case kFileKindBundle: {
      OSErr err = OpenSongFile(fileSpec, kind == kFileKindBundle, true);
      if (err == noErr) gOpenKind = kOpenKindSongDocument;
      *reported = true;  // OpenSongFile reported its failure
      return err;
    }
    case kFileKindMidiFile:
      return OpenMidiFile(fileSpec, arg);
    case kFileKindAudioFile: {
      OSErr err = ImportAudioFileDocument(fileSpec, type, arg);
      if (err == kNotAudioFileResult && type == kTextType) err = OpenMovieDocument(fileSpec);
      if (err == noErr) gOpenKind = kOpenKindOther;
      return err;
    }
    case kFileKindPlayList:
      return OpenJukeboxPlayList(fileSpec);
    case kFileKindMovie: {
      OSErr err = OpenMovieDocument(fileSpec);
      if (err == noErr) {
        RememberSongFile(fileSpec);
        gOpenKind = kOpenKindOther;
      }
      return err;
    }
    default:
      return noErr;
  }
}

// The text of 'STR ' id, bounded by the resource's size (empty when missing).
void GetResourceText(int16_t id, StringPtr text) {
  text[0] = 0;
  Handle h = GetResource(FourCC("STR "), id);
  if (!h || GetHandleSize(h) < 1) return;
  const uint8_t* p = reinterpret_cast<const uint8_t*>(HandleData(h));
  int32_t n = p[0] < GetHandleSize(h) ? p[0] : GetHandleSize(h) - 1;
  std::memcpy(text + 1, p + 1, size_t(n));
  text[0] = uint8_t(n);
}

void ReportOpenResult(const FSSpec* fileSpec, OSErr result) {
  if (result == kDamagedMidiFileResult) {
    Str255 text;
    GetResourceText(kOpenFailedTextId, text);
    ParamText(text, fileSpec->name, kEmpty, kEmpty);
    ShowStopAlert(kOpenFailedAlertId);
  } else if (result != kSilentOpenResult && result != noErr) {
    ReportFileError(result, fileSpec->name, kFileActionOpen);
  }
}

// The kind of a file about to be opened; a file that cannot be, and a side file whose damage
// is passed over, are reported naming the file.
int16_t KindOfFileToOpen(const FSSpec* fileSpec, OSType* type) {
  int16_t kind = GetFileKind(fileSpec, type);
  if (kind < 0) return ReportFileError(kind, fileSpec->name, kFileActionOpen), kind;
  if (HasDamagedSideFile(fileSpec)) ReportFileNote(kDamagedSideFileMessage, fileSpec->name, -1);
  return kind;
}

}  // namespace

bool IsCurrentSongBare() {
  if (!gCurrentSong) return true;
  if (GetCurrentSongSize() != kFirstSongBlockSize || gCurrentSong[kSongName] != 0) return false;
  for (int32_t i = 0; i < GetSongTrackCount(); ++i) {
    const uint8_t* track = GetTrackEntryAt(i);
    if (track && TrackHoldsMaterial(track)) return false;
  }
  return true;
}

OSErr RunOpenDispatch(int32_t arg) {
  FSSpec fileSpec = gOpenDocumentSpec;
  OSType type = 0;
  int16_t kind = KindOfFileToOpen(&fileSpec, &type);
  if (kind < 0) return gLastOpenResult = kind;
  if (kind == kFileKindPreset) return gLastOpenResult = noErr;
  bool replaces = kind == kFileKindSongDocument || kind == kFileKindBundle || kind == kFileKindMovie;
  if (gOpenKind == 0 && replaces && AskToSaveChanges(kOpenCommand) != 0)
    return gLastOpenResult = userCanceledErr;
  StopPlaybackForOpen(kind == kFileKindMovie);
  bool reported = false;
  OSErr result = OpenByKind(&fileSpec, kind, type, arg, &reported);
  if (!reported) ReportOpenResult(&fileSpec, result);
  return gLastOpenResult = result;
}

OSErr OpenDocumentSpec(const FSSpec* fileSpec, int16_t mode, int32_t arg) {
  constexpr int16_t kOpenNow = 2;
  constexpr int16_t kOpenThroughGate = 1;
  gAppState[4] |= kAppWord4Opening;
  WaitForOverviewJobs();
  gOpenDocumentSpec = *fileSpec;
  bool gated = mode != kOpenNow && (mode == kOpenThroughGate || gSongModified);
  if (gated && DeferOpenWhileModal(arg)) return noErr;
  OSErr result = RunOpenDispatch(arg);
  if (result != noErr) gAppState[4] &= uint16_t(~kAppWord4Opening);
  return result;
}

OSErr RunOpenCommand() {
  if (AskToSaveChanges(kOpenCommand) != 0) return userCanceledErr;
  const OSType types[4] = {kSongDocumentType, FourCC("BSEQ"), kMidiType, kBundleDocumentType};
  FSSpec fileSpec;
  OSErr err = RunNavGetFileDialog(4, types, &fileSpec, kOpenDialogKind, 0);
  if (err != noErr) return err;
  StopPlaybackForOpen(false);
  OSType type = 0;
  int16_t kind = KindOfFileToOpen(&fileSpec, &type);
  if (kind < 0) return kind;
  if (type == kMidiType) {
    err = OpenMidiFile(&fileSpec, 0);
    ReportOpenResult(&fileSpec, err);
    return err;
  }
  return OpenSongFile(&fileSpec, kind == kFileKindBundle, true);
}

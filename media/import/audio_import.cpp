#include "media/import/audio_import.h"

#include "audio/recording/recording_hooks.h"

#include "audio/regions/region_media_hooks.h"

#include "media/import/import_hooks.h"
#include "media/ogg_to_aiff.h"
#include "media/import/import_tracks.h"
#include "media/import/media_attach.h"
#include "media/import/media_file_names.h"
#include "media/import/movie_references.h"
#include "media/track_audio/track_audio.h"
#include "song/model/audio_region.h"
#include "media/import/source_movies.h"
#include "platform/files/catalog.h"
#include "platform/files/sidecars.h"
#include "audio/recording/audio_file_header.h"
#include "song/model/songs.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "shell/base/error_report.h"
#include "song/conductor/sample_position.h"
#include "song/documents/document_dialog_hooks.h"
#include "song/documents/document_hooks.h"
#include "song/documents/playback_reset.h"
#include "song/events/time_selection.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_numbers.h"
#include "song/model/track_selection.h"
#include "song/model/utility_track_access.h"
#include "song/undo/undo_ring.h"
#include "song/undo/undo_steps.h"
#include "song/instruments/plugin_records.h"

namespace {

constexpr uint8_t kConvertedExtension[] = "\x04.AIF";
constexpr OSType kProgramCreator = FourCC("V|ov");
constexpr int32_t kConvertFlags = int32_t(0x80000006u);

// The nine import types, then this system's own spellings of the same formats and FLAC.
constexpr OSType kImportTypes[] = {
    FourCC("AIFF"), FourCC("MooV"), FourCC("OggV"), FourCC("UNKN"), FourCC("TEXT"), FourCC("WAVE"),
    FourCC("mp3 "), FourCC("AIFC"), FourCC("caff"), FourCC("OggS"), FourCC("MPG3"), FourCC("flac"),
};

bool IsStreamableType(OSType type) {
  return type == FourCC("AIFF") || type == FourCC("caff") || type == FourCC("CAF ") || type == FourCC("AIF ");
}

bool IsOggType(OSType type, bool allowText) {
  return type == FourCC("OggV") || type == FourCC("OggS") || type == FourCC("UNKN") ||
         (allowText && type == FourCC("TEXT"));
}

// An Ogg Vorbis file (or a file that may be one) decoded into a new AIFF file named after it.
OSErr DecodeOggSource(const FSSpec* file, FSSpec* converted) {
  NewFileRecord record;
  MakeUniqueFileSpec(&record, kConvertedExtension, file->name);
  if (!record.valid) return UniqueNameError();
  OSErr err = ConvertOggToAiffFile(file, &record.file);
  if (err == noErr) *converted = record.file;
  return err;
}

// The file's sound as a new AIFF file (converted), named after it.
OSErr ConvertSourceToAiff(const FSSpec* file, bool textLike, FSSpec* converted) {
  NewFileRecord record;
  Movie movie = 0;
  OSErr err = OpenSourceMovie(file, &movie);
  if (err != noErr) return textLike ? kNotAudioFileErr : err;
  MakeUniqueFileSpec(&record, kConvertedExtension, file->name);
  if (!record.valid) err = UniqueNameError();
  if (err == noErr) {
    InstallImportProgress(movie, kProgressConvertingImport);
    err = ConvertMovieToFile(movie, 0, &record.file, kAiffFileType, kProgramCreator, -1, nullptr, kConvertFlags, 0);
  }
  DisposeMovie(movie);
  if (err == noErr) *converted = record.file;
  return err;
}

struct ImportTarget {
  const FSSpec* file;
  uint16_t flags;
  int32_t position;
  bool intoCurrentTrack;
};

Handle MainTrackAudio() { return HasValidCurrentTrack() ? Handle(ReadU32BE(gCurrentTrack + kTrackRegionList)) : Handle(); }

bool HasActiveRegionList() {
  Handle record = MainTrackAudio();
  return record && IsValidHandle(record) && GetHandleSize(record) >= kTrackAudioBytes &&
         ReadU32BE(HandleData(record) + kTrackAudioRegionsAt) != 0;
}

// The audio selected where it was placed: the track alone, the time of its first region.
void SelectPlacedRegion(int32_t position) {
  Handle record = MainTrackAudio();
  if (!HasActiveRegionList()) return;
  const uint8_t* p = reinterpret_cast<const uint8_t*>(HandleData(record));
  Handle list(ReadU32BE(p + kTrackAudioRegionsAt));
  if (CountAudioRegions(list) == 0) return;
  float rate = ReadF32BE(p + kTrackAudioRateAt);
  int64_t start = TickToSamplePosition(position, rate);
  int64_t length = RegionLength(reinterpret_cast<const uint8_t*>(HandleData(list)));
  SelectTrackSlotRange(GetCurrentTrackIndex(), GetCurrentTrackIndex());
  SelectAudioEditContext();
  SetTimeRangeFromSamples(uint64_t(start), uint64_t(start + length), rate);
}

// Into the current track, or a new one at a position: the track holds exactly the new media.
OSErr AttachAtPosition(const ImportTarget& t) {
  if (t.position != 0 && !t.intoCurrentTrack) {
    uint8_t kind = 0, port = 0;
    GetImportDeviceKind(&kind, &port);
    if (OSErr err = PrepareImportTrack(kind)) return err;
  }
  bool adoptTempo = !HasActiveRegionList() && !(GetSongTrackCount() > 0 && !HasValidCurrentTrack());
  if (Handle old = MainTrackAudio()) {
    DisposePluginRecord(old);
    WriteU32BE(gCurrentTrack + kTrackRegionList, 0);
  }
  bool newTrack = gCurrentTrack[kTrackOutputKind] == 0;
  int32_t index = 0;
  OSErr err = AttachMediaFile(t.file, &index, newTrack, t.flags, true, false, adoptTempo);
  if (err != noErr) return err;
  if (TrackEntryView(gCurrentTrack).Name()[0] == ' ') SetCurrentTrackNameFromFile(t.file);
  gCurrentTrack[kTrackNumber] = uint8_t(gCurrentTrackNumber);
  gCurrentTrack[kTrackOutputKind] = kAudioTrackOutputKind;
  if (t.position != 0) SelectPlacedRegion(t.position);
  SelectTrackNumber(gCurrentTrackNumber);
  return noErr;
}

OSErr AttachImport(const ImportTarget& t) {
  if (!t.intoCurrentTrack && t.position == 0) {
    int32_t index = 0;
    return AttachMediaFile(t.file, &index, true, t.flags, true, false, true);
  }
  return AttachAtPosition(t);
}

}  // namespace

int32_t SetAudioImportUndoKind(void*) {
  SetCurrentUndoKind(kUndoKindAudioImport);
  return 0;
}

int16_t GetImportTypeList(const OSType** types) {
  *types = kImportTypes;
  return int16_t(sizeof kImportTypes / sizeof kImportTypes[0]);
}

namespace {
bool gImportErrorShown = false;  // the attach reported its failure itself
}  // namespace

OSErr ImportAudioFile(const FSSpec* file, int32_t position, bool intoCurrentTrack, bool noRecent, bool allowText,
                      OSType fileType, UndoKindSetter setter) {
  gImportErrorShown = false;
  if (fileType == 0) {
    FInfo info;
    if (OSErr err = FSpGetFInfo(file, &info)) return err;
    fileType = info.fdType;
  }
  if (gMediaFolderVRefNum == 0) SetMediaDestinationFolder(file);
  FSSpec source = *file;
  bool converted = !IsStreamableType(fileType);
  if (converted) {
    bool textLike = fileType == FourCC("TEXT") || fileType == FourCC("UNKN");
    if (fileType == FourCC("TEXT") && !allowText) return kNotAudioFileErr;
    OSErr err = IsOggType(fileType, allowText) ? DecodeOggSource(file, &source)
                                                : ConvertSourceToAiff(file, textLike, &source);
    if (err != noErr) return err;
  }
  if (setter && gCurrentSong) {
    if (OSErr err = RunUndoableEditClearingScope(setter)) {
      if (converted) FSpDelete(&source);
      return err;
    }
  }
  int32_t previousTrack = gCurrentTrackNumber;
  ImportTarget target{&source, uint16_t(converted ? kMovieRefProgramMade : 0), position, intoCurrentTrack};
  OSErr err = AttachImport(target);
  if (err != noErr) {
    ReportError(err);
    gImportErrorShown = true;
    SelectTrackNumber(previousTrack);
    return err;
  }
  RecomputeSelectionBounds(gTrackSelection, true);
  if (!noRecent || converted) RememberAudioFile(file);
  RefreshImportTrackList(int16_t(gCurrentTrackNumber));
  SelectTrackNumber(gCurrentTrackNumber);
  return noErr;
}

void ImportAudioFileCommand() {
  const OSType* types = nullptr;
  int16_t count = GetImportTypeList(&types);
  FSSpec file;
  if (RunNavGetFileDialog(count, types, &file, kImportDialogKind, 0) != noErr) return;
  ResetPlaybackState(0);
  OSErr err = ImportAudioFile(&file, 0, false, false, true, 0, SetAudioImportUndoKind);
  if (err != noErr && !gImportErrorShown) ReportError(err);
}

OSErr ImportOpenedAudioFile(const FSSpec* file, OSType type, int32_t) {
  return ImportAudioFile(file, 0, false, false, true, type, SetAudioImportUndoKind);
}

namespace {

// A pasted region's file joins the song's media files: no track is prepared and no region made.
OSErr RegisterPastedMediaFile(const FSSpec* file, uint16_t* index, int16_t flags) {
  int32_t entry = 0;
  OSErr err = AttachMediaFile(file, &entry, false, uint16_t(flags), false, false, false);
  if (err == noErr) *index = uint16_t(entry);
  return err;
}

// A take's file: a name not taken yet in the media folder (chosen by the user when none is set).
OSErr ChooseMediaRecordFile(ConstStr255Param name, ConstStr255Param extension, FSSpec* file) {
  NewFileRecord made;
  MakeUniqueFileSpec(&made, extension, name);
  if (!made.valid) return UniqueNameError();
  *file = made.file;
  return noErr;
}

}  // namespace

void InstallAudioImportHooks() {
  gRecordingMediaHooks.chooseRecordFile = ChooseMediaRecordFile;
  gRecordingMediaHooks.newTrackAudio = NewTrackAudio;
  gDocumentHooks.importAudioFileDocument = ImportOpenedAudioFile;
  gRegionMediaHooks.registerMediaFile = RegisterPastedMediaFile;
}

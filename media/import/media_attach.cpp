#include "media/import/media_attach.h"

#include "media/track_audio/sample_access.h"

#include <algorithm>
#include <cstring>

#include "audio/recording/audio_file_header.h"
#include "media/import/import_hooks.h"
#include "media/import/source_movies.h"
#include "media/import/import_tracks.h"
#include "media/import/movie_references.h"
#include "media/track_audio/track_audio.h"
#include "song/model/audio_region.h"
#include "media/instruments/track_instruments.h"
#include "platform/files/aliases.h"
#include "platform/files/catalog.h"
#include "platform/files/forks.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/quicktime/movie_export.h"
#include "song/conductor/conductor_map.h"
#include "song/documents/document_input.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/plugin_records.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/track_length.h"
#include "song/model/track_entries.h"
#include "song/model/track_numbers.h"
#include "song/model/utility_track_access.h"

namespace {

// The engine streams the file as it stands when the sample access reads its format (big-endian
// integer or float of at most 32 bits).
bool IsStreamableAsItStands(const uint8_t* description) {
  int16_t bits = int16_t(ReadU16BE(description + kSoundDescBits));
  return bits > 0 && IsBigEndianReadable(ReadU32BE(description + kSoundDescFormat), bits);
}

constexpr uint8_t kImportExtension[] = "\x04.AIF";
constexpr OSType kProgramCreator = FourCC("V|ov");
constexpr uint32_t kExporterFlags = 0x10;
constexpr double kLoopTempoLimit = 200.0;
// The track audio record holds the file's 28-byte sound description from its engine flags on
// (encoding, channels, bits, 16.16 rate).
constexpr int32_t kTrackAudioFormatAt = kTrackAudioEngineFlagsAt;
// A region whose loop tempo (+40) is valid: the same bit as the fixed available length.
constexpr uint16_t kRegionFlagLoopTempo = kRegionFlagLengthFixed;

// What one attach opened or made, for undoing it on failure.
struct AttachState {
  int32_t index = -1;
  bool found = false;       // the file already had an entry
  bool appended = false;    // the entry was added at the end of the table
  FSIORefNum fork = 0;
  Handle alias;
  uint8_t* slot = nullptr;  // the track audio slot (main or alternate)
  bool newRecord = false;
  bool newTrack = false;
  int32_t tracksBefore = -1;  // the song's tracks before one was added for the file
  uint8_t description[kSoundDescSize] = {};
  uint64_t frames = 0;
  uint32_t dataOffset = 0;
  float rate = 0.0f;
};

uint8_t* RecordBytes(Handle record) { return reinterpret_cast<uint8_t*>(HandleData(record)); }
Handle SlotRecord(const uint8_t* slot) { return Handle(ReadU32BE(slot)); }

OSErr OpenOrReuseEntry(const FSSpec* file, AttachState* s) {
  int16_t notFound = 1;
  int32_t i = FindMovieReference(file, &notFound, 0);
  if (!notFound) {
    s->found = true;
    s->index = i;
    s->fork = GetMovieRefFork(GetMovieRef(i));
    if (s->fork == 0) return fnOpnErr;
    return FSSetForkPosition(s->fork, fsFromStart, 0);
  }
  if (OSErr err = FSpOpenDF(file, fsRdPerm, &s->fork)) return err;
  if (OSErr err = NewAlias(nullptr, file, &s->alias)) return err;
  int32_t before = CountMovieRefs();
  s->index = NewMovieRefEntry();
  if (s->index < 0) return memFullErr;
  s->appended = s->index >= before;
  return noErr;
}

void UndoAttach(const FSSpec* file, uint16_t flags, AttachState* s) {
  if (!s->found) {
    if (s->fork) FSClose(s->fork);
    if (s->alias) DisposeHandle(s->alias);
    if (s->index >= 0 && s->appended && s->index == CountMovieRefs() - 1)
      SetHandleSize(GetReferencedFileTable(), Size(s->index) * kReferencedFileSize);
  }
  if (flags & kMovieRefProgramMade) FSpDelete(file);
}

OSErr ReadHeaderInto(AttachState* s) {
  return ReadAudioFileHeader(s->fork, s->description, &s->frames, &s->dataOffset, &s->rate);
}

// The track's audio record takes the file's format when it is new, and its rate always.
void TakeFormat(Handle record, AttachState* s) {
  uint8_t* p = RecordBytes(record);
  if (s->newRecord) std::memcpy(p + kTrackAudioFormatAt, s->description, kSoundDescSize);
  WriteF32BE(p + kTrackAudioRateAt, s->rate);
  WriteU32BE(p + kTrackAudioFixedRateAt, RateToFixed(s->rate));
}

OSErr EnsureRegionList(Handle record) {
  if (ReadU32BE(RecordBytes(record) + kTrackAudioRegionsAt)) return noErr;
  Handle list = NewHandleClear(kRegionSize);
  if (!list) return memFullErr;
  WriteU32BE(RecordBytes(record) + kTrackAudioRegionsAt, list.id);
  return noErr;
}

void NameRegion(uint8_t* region, const FSSpec* file) {
  if (region[kRegionNameAt] != 0) return;
  int32_t n = std::min<int32_t>(file->name[0], 31);
  region[kRegionNameAt] = uint8_t(n);
  std::memcpy(region + kRegionNameAt + 1, file->name + 1, size_t(n));
}

// A loop imported into a song of one track sets the song's tempo (halved once above 200).
void AdoptLoopTempo(const uint8_t* region) {
  if (GetSongTrackCount() != 1 || !(ReadU16BE(region + kRegionFlagsAt) & kRegionFlagLoopTempo)) return;
  double tempo = ReadF32BE(region + kRegionLoopTempoAt) + 0.05;
  if (tempo > kLoopTempoLimit) tempo /= 2;
  SetTempoAt(int32_t(tempo * 10), 1);
}

void FillRegion(Handle record, const FSSpec* file, AttachState* s, bool alternate, bool adoptTempo) {
  Handle list(ReadU32BE(RecordBytes(record) + kTrackAudioRegionsAt));
  if (!alternate) SetCurrentTrackNameFromFile(file);
  uint8_t* region = reinterpret_cast<uint8_t*>(HandleData(list));
  uint16_t flags = uint16_t(ReadU16BE(region + kRegionFlagsAt) | kRegionFlagSelected);
  InitAudioRegion(RecordBytes(record), region, s->frames, s->index, flags);
  WriteU32BE(region + kRegionFileOffsetAt, s->dataOffset);
  NameRegion(region, file);
  if (alternate) return;
  if (adoptTempo) AdoptLoopTempo(region);
}

void SetUpImportInstrument(bool alternate) {
  uint8_t kind = 0, port = 0;
  GetImportDeviceKind(&kind, &port);
  SetUpTrackInstrument(gCurrentTrack, kind, port, alternate);
}

void StoreEntry(const FSSpec*, uint16_t flags, AttachState* s) {
  uint8_t* entry = GetMovieRef(s->index);
  WriteU32BE(entry + kRefFork, uint32_t(uint16_t(s->fork)));
  WriteU32BE(entry + kMovieRefDataOffset, s->dataOffset);
  WriteU32BE(entry + kMovieRefFrames, uint32_t(std::min<uint64_t>(s->frames, 0xFFFFFFFFu)));
  entry[kRefKind] = kRefKindAudio;
  WriteU32BE(entry + kMovieRefUseCount, ReadU32BE(entry + kMovieRefUseCount) + 1);
  if (s->found) return;
  WriteU32BE(entry + kRefAlias, s->alias.id);
  s->alias = Handle();
  OSType format = ReadU32BE(s->description + kSoundDescFormat);
  int16_t bits = int16_t(ReadU16BE(s->description + kSoundDescBits));
  if (format == FourCC("raw ") && bits <= 8) flags |= kMovieRefUnsigned8;
  SetMovieRefFlags(entry, flags);
  WriteF32BE(entry + kMovieRefRate, s->rate);
  entry[kMovieRefSampleSize] = uint8_t(bits);
  entry[kMovieRefChannels] = uint8_t(ReadU16BE(s->description + kSoundDescChannels));
}

// The track audio record of the slot, made when there is none.
OSErr TakeTrackAudio(AttachState* s, bool alternate) {
  s->slot = gCurrentTrack + (alternate ? kTrackRegionList2 : kTrackRegionList);
  if (SlotRecord(s->slot)) return noErr;
  s->newRecord = true;
  return AllocTrackAudio(s->slot);
}

// A new track (or a new record) goes again when the attach fails.
void ReleaseNewMedia(AttachState* s) {
  if (!s->newRecord || !s->slot) return;
  if (Handle record = SlotRecord(s->slot)) DisposePluginRecord(record);
  WriteU32BE(s->slot, 0);
}

// A track added for the file goes again when the attach fails.
void RemoveAddedTrack(AttachState* s) {
  if (s->tracksBefore < 0 || GetSongTrackCount() <= s->tracksBefore || !HasValidCurrentTrack()) return;
  DisposeTrackContents(nullptr);
  RemoveCurrentTrack();
  RebuildTrackNumberMap();
  s->tracksBefore = -1;
}

OSErr ConvertAndAttach(const FSSpec* file, int32_t* index, bool newTrack, uint16_t flags, bool makeRegion,
                       bool alternate, bool adoptTempo, AttachState* s) {
  if (AskToConvertFile(file->name) != kConvertAnswer) return kUnplayableNotConvertedErr;
  NewFileRecord converted;
  OSErr err = ConvertToPlayableAiff(file, &converted, s->description);
  if (err != noErr) return err;
  if (!s->found) {
    FSClose(s->fork);
    s->fork = 0;
    DisposeHandle(s->alias);
    s->alias = Handle();
  }
  ReleaseNewMedia(s);
  err = AttachMediaFile(&converted.file, index, newTrack && s->newTrack, uint16_t(flags | kMovieRefProgramMade),
                        makeRegion, alternate, adoptTempo);
  if (flags & kMovieRefProgramMade) FSpDelete(file);
  return err;
}

// The exporter writes the source's channels, sample size (at most 32) and rate; its settings
// dialog may cancel.
OSErr ExportSourceSound(MovieExporter exporter, const FSSpec* file, Movie movie, const uint8_t* description) {
  Handle sound = NewHandleClear(kSoundDescriptionSize);
  if (!sound) return memFullErr;
  uint8_t* p = reinterpret_cast<uint8_t*>(HandleData(sound));
  WriteU32BE(p, kSoundDescriptionSize);
  WriteU16BE(p + kSoundDescriptionChannels, ReadU16BE(description + kSoundDescChannels));
  WriteU16BE(p + kSoundDescriptionSampleSize, uint16_t(std::min<int>(ReadU16BE(description + kSoundDescBits), 32)));
  WriteU32BE(p + kSoundDescriptionRate, ReadU32BE(description + kSoundDescRate));
  OSErr err = MovieExportSetSampleDescription(exporter, sound, kSoundMediaType);
  DisposeHandle(sound);
  Boolean canceled = false;
  int32_t duration = GetMovieDuration(movie);
  if (err == noErr) err = MovieExportDoUserDialog(exporter, movie, 0, 0, duration, &canceled);
  if (err == noErr && canceled) err = userCanceledErr;
  if (err == noErr) err = MovieExportToFile(exporter, file, movie, 0, 0, duration);
  if (err == noErr) err = GetMoviesError();
  return err;
}

}  // namespace

uint32_t gLongestImportSeconds = 0;

void RaiseLongestImportSeconds(uint32_t seconds) {
  if (seconds > gLongestImportSeconds) gLongestImportSeconds = seconds;
}

float RegionLoopTempo(uint64_t frames, float rate) {
  if (frames == 0 || !(rate > 0.0f)) return 0.0f;
  return float(8.0 / (double(frames) / (double(rate) * 60.0)));
}

void InitAudioRegion(const uint8_t* trackAudio, uint8_t* region, uint64_t frames, int32_t refIndex, uint16_t flags) {
  const uint8_t* format = trackAudio + kTrackAudioFormatAt;
  int16_t bits = int16_t(ReadU16BE(format + kSoundDescBits));
  int16_t channels = int16_t(ReadU16BE(format + kSoundDescChannels));
  float rate = ReadF32BE(trackAudio + kTrackAudioRateAt);
  uint32_t bytesPerFrame = uint32_t((bits + 7) / 8) * uint32_t(std::max<int16_t>(channels, 1));
  uint32_t frames32 = uint32_t(std::min<uint64_t>(frames, 0xFFFFFFFFu));
  region[kRegionSampleSizeAt] = uint8_t(bits);
  region[kRegionBytesPerFrameAt] = uint8_t(bytesPerFrame);
  WriteF32BE(region + kRegionRateAt, rate);
  WriteU32BE(region + kRegionByteLengthAt, uint32_t(std::min<uint64_t>(frames * bytesPerFrame, 0xFFFFFFFFu)));
  WriteU16BE(region + kRegionChannelsAt, uint16_t(channels));
  SetRegionLength(region, int64_t(std::min<uint64_t>(frames, uint64_t(kOpenRegionEnd) - 1)));
  WriteU32BE(region, 0);
  WriteI32BE(region + kRegionStepAt, 1);
  WriteU32BE(region + kRegionStateAt, 1);
  WriteU16BE(region + kRegionFileIndexAt, uint16_t(refIndex));
  WriteU32BE(region + kRegionShortLengthAt, frames32);
  WriteU32BE(region + kRegionAvailableAt, frames32);
  float tempo = RegionLoopTempo(frames, rate);
  WriteF32BE(region + kRegionLoopTempoAt, tempo);
  if (tempo >= kLoopTempoMin && tempo <= kLoopTempoMax) flags |= kRegionFlagLoopTempo;
  WriteU16BE(region + kRegionFlagsAt, flags);
}

OSErr AttachMediaFile(const FSSpec* file, int32_t* index, bool newTrack, uint16_t flags, bool makeRegion,
                      bool alternate, bool adoptTempo) {
  AttachState s;
  s.newTrack = newTrack;
  OSErr err = OpenOrReuseEntry(file, &s);
  if (err == noErr && newTrack) {
    uint8_t kind = 0, port = 0;
    GetImportDeviceKind(&kind, &port);
    s.tracksBefore = GetSongTrackCount();
    err = PrepareImportTrack(kind);
  }
  if (err == noErr) err = TakeTrackAudio(&s, alternate);
  if (err == noErr) {
    err = ReadHeaderInto(&s);
  }
  bool unplayable = err == kAudioFormatUnsupportedErr ||
                    (err == noErr && !IsStreamableAsItStands(s.description));
  if (unplayable) {
    err = ConvertAndAttach(file, index, newTrack, flags, makeRegion, alternate, adoptTempo, &s);
    if (err != noErr) {
      ReleaseNewMedia(&s);
      UndoAttach(file, flags, &s);
      RemoveAddedTrack(&s);
    }
    return err;
  }
  if (err == noErr) {
    Handle record = SlotRecord(s.slot);
    TakeFormat(record, &s);
    if (makeRegion) err = EnsureRegionList(record);
    if (err == noErr && makeRegion) FillRegion(SlotRecord(s.slot), file, &s, alternate, adoptTempo);
    if (err == noErr && (alternate || newTrack)) SetUpImportInstrument(alternate);
    if (err == noErr && !alternate) ComputeTrackEnd();
  }
  if (err != noErr) {
    ReleaseNewMedia(&s);
    UndoAttach(file, flags, &s);
    RemoveAddedTrack(&s);
    return err;
  }
  StoreEntry(file, flags, &s);
  *index = s.index;
  SetSongModified();
  if (s.rate > 0.0f) RaiseLongestImportSeconds(uint32_t(double(s.frames) / s.rate));
  UpdateImportSyncMode();
  return noErr;
}

OSErr ConvertToPlayableAiff(const FSSpec* source, NewFileRecord* out, const uint8_t* description) {
  MakeUniqueFileSpec(out, kImportExtension, source->name);
  if (!out->valid) return UniqueNameError();
  OSErr err = FSpCreate(&out->file, kProgramCreator, kAiffFileType, -1);
  if (err != noErr) return err;
  Movie movie = 0;
  err = OpenSourceMovie(source, &movie);
  MovieExporter exporter = 0;
  if (err == noErr) {
    InstallImportProgress(movie, kProgressConvertingUnplayable);
    MovieExporterDescription look{kMovieExportType, kAiffFileType, kSoundMediaType, kExporterFlags, kExporterFlags};
    MovieExporterComponent component = FindNextMovieExporter(0, &look);
    exporter = component ? OpenMovieExporter(component) : 0;
    if (!exporter) err = kNoExportComponentErr;
  }
  if (err == noErr) err = ExportSourceSound(exporter, &out->file, movie, description);
  if (exporter) CloseMovieExporter(exporter);
  if (movie) DisposeMovie(movie);
  if (err != noErr) {
    FSpDelete(&out->file);
    out->valid = 0;
  }
  return err;
}

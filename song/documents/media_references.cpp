#include "song/documents/media_references.h"

#include <cstring>
#include <string>
#include <vector>

#include "platform/files/aliases.h"
#include "platform/files/file_locations.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "shell/base/file_access.h"
#include "song/documents/document_dialog_hooks.h"
#include "song/documents/document_file.h"
#include "song/documents/document_hooks.h"
#include "song/documents/document_input.h"
#include "song/documents/old_document_forms.h"
#include "song/instruments/plugin_records.h"
#include "song/model/audio_region.h"
#include "song/model/song_context.h"
#include "song/model/song_iterators.h"
#include "song/model/song_layout.h"
#include "song/model/utility_iteration.h"

namespace {

constexpr int32_t kRefAliasAlternate = kRefAlias + 4;
constexpr int32_t kReferenceNameOffset = 12;

bool IsLive(Handle h) { return h && IsValidHandle(h); }

uint16_t EntryFlags(const uint8_t* entry) { return ReadU16BE(entry + kRefFlags); }
void SetEntryFlags(uint8_t* entry, uint16_t flags) { WriteU16BE(entry + kRefFlags, flags); }
Handle EntryAlias(const uint8_t* entry) { return Handle(ReadU32BE(entry + kRefAlias)); }

bool IsProgramReference(Handle alias) {
  return GetHandleSize(alias) >= 4 && ReadU32BE(HandleData(alias)) == kProgramReferenceMagic;
}

// The last backslash-separated part of the reference's stored path.
OSErr ProgramReferenceName(Handle alias, StringPtr name, int16_t maxLength) {
  Size size = GetHandleSize(alias);
  const uint8_t* p = reinterpret_cast<const uint8_t*>(HandleData(alias));
  if (size <= kReferenceNameOffset) return paramErr;
  int32_t length = p[kReferenceNameOffset];
  if (kReferenceNameOffset + 1 + length > size) return paramErr;
  const uint8_t* path = p + kReferenceNameOffset + 1;
  int32_t start = length;
  while (start > 0 && path[start - 1] != '\\') --start;
  int32_t n = length - start;
  if (n > maxLength) return paramErr;
  std::memcpy(name + 1, path + start, size_t(n));
  name[0] = uint8_t(n);
  return noErr;
}

// A name that stays inside the folder it is looked up in.
bool IsPlainFileName(ConstStr255Param name) {
  std::string text(reinterpret_cast<const char*>(name + 1), name[0]);
  if (text.empty() || text == "." || text == "..") return false;
  return text.find_first_of("/:") == std::string::npos;
}

void DisposeAliasWord(uint8_t* word) {
  Handle alias(ReadU32BE(word));
  WriteU32BE(word, 0);
  if (IsLive(alias)) DisposeHandle(alias);
}

// Region flags of one audio record's region list.
void UpdateRecordRegions(Handle record, const uint8_t* table, int32_t count) {
  if (!IsLive(record) || GetHandleSize(record) < kPluginRecordBytes) return;
  Handle regions(ReadU32BE(HandleData(record) + kPluginRecordRegions));
  if (!IsLive(regions)) return;
  uint8_t* p = reinterpret_cast<uint8_t*>(HandleData(regions));
  for (Size at = 0; at + kRegionSize <= GetHandleSize(regions); at += kRegionSize) {
    uint16_t index = ReadU16BE(p + at + kRegionFileIndexAt);
    uint16_t flags = ReadU16BE(p + at + kRegionFlagsAt);
    if (index >= count || (flags & kRegionFlagSilent)) continue;
    if (EntryFlags(table + index * kReferencedFileSize) & kRefUnpacked) continue;
    WriteU16BE(p + at + kRegionFlagsAt, uint16_t(flags & ~kRegionFlagOwnsFile));
  }
}

int32_t UpdateTrackRegions(void*) {
  Handle table = GetReferencedFileTable();
  const uint8_t* entries = IsLive(table) ? reinterpret_cast<const uint8_t*>(HandleData(table)) : nullptr;
  if (!entries) return 0;
  UpdateRecordRegions(Handle(ReadU32BE(gCurrentTrack + kTrackRegionList)), entries, CountReferencedFiles());
  UpdateRecordRegions(Handle(ReadU32BE(gCurrentTrack + kTrackRegionList2)), entries, CountReferencedFiles());
  return 0;
}

int32_t UpdateSongRegions(SongVisitRecord*) {
  IterateTracks(UpdateTrackRegions, nullptr);
  return 0;
}

}  // namespace

Handle GetReferencedFileTable() {
  Handle table = GetDocumentSlot(kReferencedFilesSlot);
  return IsLive(table) ? table : Handle();
}

int32_t CountReferencedFiles() {
  Handle table = GetReferencedFileTable();
  return table ? GetHandleSize(table) / kReferencedFileSize : 0;
}

uint8_t* GetReferencedFileEntry(int32_t i) {
  if (i < 0 || i >= CountReferencedFiles()) return nullptr;
  return reinterpret_cast<uint8_t*>(HandleData(GetReferencedFileTable())) + i * kReferencedFileSize;
}

OSErr ReadReferencedFileTable(uint8_t* slot, bool present) {
  std::memset(slot, 0, kHandleSlotSize);
  if (!present) return GetDocumentInputError();
  Handle table;
  if (ReadSizedDocumentHandle(&table) != noErr) return GetDocumentInputError();
  if (WidenOldReferencedFiles(table, GetDocumentInputVersion()) != noErr) {
    DisposeHandle(table);
    return FailDocumentInput(memFullErr);
  }
  Size count = GetHandleSize(table) / kReferencedFileSize;
  SetHandleSize(table, count * kReferencedFileSize);
  HLock(table);
  uint8_t* entries = reinterpret_cast<uint8_t*>(HandleData(table));
  std::vector<bool> aliases(size_t(count), false);
  for (Size i = 0; i < count; ++i) {
    uint8_t* entry = entries + i * kReferencedFileSize;
    aliases[size_t(i)] = SlotHasBlock(entry + kRefAlias, true);
    std::memset(entry + kRefAlias, 0, kHandleSlotSize);
    if (!(EntryFlags(entry) & kRefByFileNumber)) WriteU32BE(entry + kRefFork, 0);
  }
  for (Size i = 0; i < count && GetDocumentInputError() == noErr; ++i)
    ReadPresentBlock(entries + i * kReferencedFileSize + kRefAlias, aliases[size_t(i)]);
  HUnlock(table);
  if (GetDocumentInputError() != noErr) {
    DisposeReferencedFileTable(table);
    DisposeHandle(table);
    return GetDocumentInputError();
  }
  WriteU32BE(slot, table.id);
  return noErr;
}

OSErr WriteReferencedFileTable() {
  Handle table = GetReferencedFileTable();
  if (!table) return GetLastFileError();
  Size size = CountReferencedFiles() * kReferencedFileSize;
  const uint8_t* entries = reinterpret_cast<const uint8_t*>(HandleData(table));
  std::vector<uint8_t> image(entries, entries + size);
  for (Size at = 0; at < size; at += kReferencedFileSize) {
    uint8_t* entry = &image[size_t(at)];
    if (!IsLive(EntryAlias(entry))) WriteU32BE(entry + kRefAlias, 0);
    WriteU32BE(entry + kRefAliasAlternate, 0);
    if (!(EntryFlags(entry) & kRefByFileNumber)) WriteU32BE(entry + kRefFork, 0);
  }
  uint8_t prefix[4];
  WriteU32BE(prefix, uint32_t(size));
  WriteBlock(prefix, 4);
  if (GetLastFileError() == noErr && size > 0) WriteBlock(image.data(), uint32_t(size));
  for (Size at = 0; at < size && GetLastFileError() == noErr; at += kReferencedFileSize) {
    Handle alias(ReadU32BE(&image[size_t(at)] + kRefAlias));
    if (alias) WriteHandleWithSize(alias);
  }
  return GetLastFileError();
}

void CloseReferencedFileEntry(uint8_t* entry) {
  uint32_t fork = ReadU32BE(entry + kRefFork);
  if (fork != 0 && !(EntryFlags(entry) & kRefByFileNumber)) {
    FSClose(FSIORefNum(fork));
    WriteU32BE(entry + kRefFork, 0);
  }
  ForgetReferencedAudioFile(entry);
  DisposeAliasWord(entry + kRefAlias);
  WriteU32BE(entry + kRefAliasAlternate, 0);
}

void ClearReferencedFileEntry(uint8_t* entry) {
  WriteU32BE(entry + kRefFork, 0);
  SetEntryFlags(entry, 0);
  std::memset(entry + kRefAlias, 0, kHandleSlotSize);
  WriteU32BE(entry + 48, 0);
}

void DisposeReferencedFileTable(Handle table) {
  if (!IsLive(table)) return;
  for (Size at = 0; at + kReferencedFileSize <= GetHandleSize(table); at += kReferencedFileSize)
    CloseReferencedFileEntry(reinterpret_cast<uint8_t*>(HandleData(table)) + at);
}

OSErr GetReferencedFileName(Handle alias, StringPtr name, int16_t maxLength) {
  name[0] = 0;
  if (!IsLive(alias)) return paramErr;
  if (IsProgramReference(alias)) return ProgramReferenceName(alias, name, maxLength);
  Str63 found;
  OSErr err = GetAliasInfo(alias, asiAliasName, found);
  if (err != noErr) return err;
  if (found[0] > maxLength) return paramErr;
  std::memcpy(name, found, size_t(found[0]) + 1);
  return noErr;
}

OSErr RefreshReferenceAlias(const FSSpec* document, const FSSpec* target, Handle alias) {
  if (!IsLive(alias)) return paramErr;
  const FSSpec* from = document && document->name[0] ? document : nullptr;
  Boolean changed = false;
  if (!IsProgramReference(alias)) return UpdateAlias(from, target, alias, &changed);
  Handle fresh;
  OSErr err = NewAlias(from, target, &fresh);
  if (err != noErr) return err;
  Size size = GetHandleSize(fresh);
  SetHandleSize(alias, size);
  err = MemError();
  if (err == noErr) std::memcpy(HandleData(alias), HandleData(fresh), size_t(size));
  DisposeHandle(fresh);
  return err;
}

namespace {

// The program's own reference: its file by name in the document's folder, which the record
// then names as an alias.
OSErr FindFileBesideDocument(Handle alias, const FSSpec* document, FSSpec* target) {
  Str255 name;
  if (!IsLive(alias) || !document || !document->name[0]) return fnfErr;
  if (GetReferencedFileName(alias, name, 255) != noErr || !IsPlainFileName(name)) return fnfErr;
  FSSpec beside;
  if (FSMakeFSSpec(document->vRefNum, document->parID, name, &beside) != noErr) return fnfErr;
  FSIORefNum fork = 0;
  if (FSpOpenDF(&beside, fsRdPerm, &fork) != noErr) return fnfErr;
  FSClose(fork);
  *target = beside;
  return RefreshReferenceAlias(document, target, alias);
}

// The find answer of the missing-file prompt: the open dialog; found, the alias names the file
// found. Not found, alert 543 may forget the reference.
OSErr FindMissingFile(uint8_t* aliasWord, ConstStr255Param name, FSSpec* outSpec, bool allowSkip) {
  OSErr err = RunNavGetFileDialog(0, nullptr, outSpec, kFindFileDialogKind, 0);
  if (err == noErr) {
    RefreshReferenceAlias(nullptr, outSpec, Handle(ReadU32BE(aliasWord)));
    return noErr;
  }
  if (allowSkip && AskAfterFailedFind(name) == kPromptSkip) {
    DisposeAliasWord(aliasWord);
    return fnfErr;
  }
  return err;
}

// A movie that was not found stays referred to (and is saved again) while its alias is kept;
// one the user chose to forget is cleared.
void KeepOrClearMissingMovie(uint8_t* entry) {
  if (IsLive(EntryAlias(entry))) {
    SetEntryFlags(entry, uint16_t(EntryFlags(entry) | kRefMissing));
    return;
  }
  CloseReferencedFileEntry(entry);
  ClearReferencedFileEntry(entry);
}

}  // namespace

OSErr ResolveReferencedAlias(Handle alias, const FSSpec* document, FSSpec* target) {
  if (!IsLive(alias)) return paramErr;
  if (IsProgramReference(alias)) return FindFileBesideDocument(alias, document, target);
  Boolean changed = false;
  const FSSpec* from = document && document->name[0] ? document : nullptr;
  return ResolveAliasWithMountFlags(from, alias, target, &changed, kResolveAliasFileNoUI);
}

OSErr RunMissingFilePrompt(uint8_t* aliasWord, FSSpec* outSpec, int16_t textA, int16_t textB,
                           bool allowSkip, int16_t* promptState) {
  Str255 name;
  if (GetReferencedFileName(Handle(ReadU32BE(aliasWord)), name, 255) != noErr) name[0] = 0;
  int16_t answer = promptState && *promptState > 0 ? *promptState
                                                   : AskForMissingFile(name, textA, textB, allowSkip);
  if (answer >= kPromptKeepAll && answer <= kPromptFindAll) {
    answer = int16_t(answer - kPromptKeepAll + kPromptKeep);
    if (promptState) *promptState = answer;
  }
  if (answer == kPromptFind) return FindMissingFile(aliasWord, name, outSpec, allowSkip);
  if (answer == kPromptSkip && allowSkip) DisposeAliasWord(aliasWord);
  return fnfErr;
}

OSErr OpenReferencedFileEntry(uint8_t* entry, const FSSpec* document, int16_t* promptState,
                              bool* missing) {
  *missing = false;
  if (entry[kRefKind] != kRefKindAudio || !IsLive(EntryAlias(entry))) return noErr;
  WriteU32BE(entry + kRefFork, 0);
  SetEntryFlags(entry, 0);
  FSSpec target;
  OSErr err = ResolveReferencedAlias(EntryAlias(entry), document, &target);
  if (err != noErr) {
    err = RunMissingFilePrompt(entry + kRefAlias, &target, kMissingFileTextA, kMissingFileTextB,
                               true, promptState);
    if (err != noErr) {
      uint16_t flags = kRefMissing;
      if (!EntryAlias(entry)) flags |= kRefAliasDropped;
      SetEntryFlags(entry, flags);
      *missing = true;
      return err;
    }
  }
  FSIORefNum fork = 0;
  err = FSpOpenDF(&target, fsRdPerm, &fork);
  if (err != noErr) return err;
  WriteU32BE(entry + kRefFork, uint32_t(uint16_t(fork)));
  err = ReadReferencedAudioHeader(entry, fork);
  if (err == noErr) err = RegisterReferencedAudioFile(entry, &target);
  if (err != noErr) {
    FSClose(fork);
    WriteU32BE(entry + kRefFork, 0);
  }
  return err;
}

OSErr OpenReferencedFiles(const FSSpec* document, int32_t* missing) {
  *missing = 0;
  OSErr last = noErr;
  int16_t promptState = 0;
  Handle table = GetReferencedFileTable();
  if (!table) return noErr;
  HLock(table);
  for (int32_t i = 0; i < CountReferencedFiles(); ++i) {
    bool lost = false;
    OSErr err = OpenReferencedFileEntry(GetReferencedFileEntry(i), document, &promptState, &lost);
    if (lost) ++*missing;
    if (err != noErr) last = err;
  }
  HUnlock(table);
  return last;
}

OSErr OpenMovieEntries(const FSSpec* document) {
  OSErr first = noErr;
  int16_t promptState = 0;
  for (int32_t i = 0; i < CountReferencedFiles(); ++i) {
    uint8_t* entry = GetReferencedFileEntry(i);
    if (entry[kRefKind] != kRefKindMovie) continue;
    uint16_t flags = EntryFlags(entry);
    bool present = (flags & kRefByFileNumber) ? ReadU32BE(entry + kRefFork) != 0
                                              : IsLive(EntryAlias(entry)) && !(flags & kRefResolved);
    if (!present) {
      if (!(flags & kRefResolved)) ClearReferencedFileEntry(entry);
      continue;
    }
    if (flags & kRefByFileNumber) continue;  // opened by its file number by the movie code
    FSSpec target;
    OSErr err = ResolveReferencedAlias(EntryAlias(entry), document, &target);
    if (err != noErr)
      err = RunMissingFilePrompt(entry + kRefAlias, &target, kMissingMovieTextA, kMissingFileTextB,
                                 true, &promptState);
    if (err != noErr) {
      KeepOrClearMissingMovie(entry);
      if (first == noErr && err != fnfErr && err != userCanceledErr) first = err;
      continue;
    }
    SetEntryFlags(entry, uint16_t((EntryFlags(entry) | kRefResolved) & ~kRefMissing));
  }
  return first;
}

void UpdateRegionFileMarks() {
  if (!GetReferencedFileTable()) return;
  SongVisitRecord visit;
  visit.callback = UpdateSongRegions;
  ForEachSongAndChild(&visit);
}

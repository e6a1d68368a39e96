#include "media/import/movie_references.h"

#include <cstring>

#include "media/file_locations.h"
#include "platform/files/aliases.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "song/documents/document_file.h"

namespace {

// The table, made when the song has none yet.
Handle EnsureMovieRefTable() {
  if (Handle table = GetReferencedFileTable()) return table;
  Handle table = NewHandleClear(0);
  if (table) SetDocumentSlot(kReferencedFilesSlot, table);
  return table;
}

bool AliasMatches(Handle alias, const FSSpec* file) {
  if (!alias || !IsValidHandle(alias)) return false;
  FSSpec resolved;
  if (ResolveAliasNoUI(alias, &resolved, nullptr) != noErr) return false;
  return IsSameFileSpec(&resolved, file);
}

bool MatchesMovieId(const uint8_t* entry, uint32_t id) {
  if (entry[kRefKind] != kRefKindMovie || !(GetMovieRefFlags(entry) & kMovieRefByMovieId)) return false;
  uint32_t own = ReadU32BE(entry + kMovieRefMovie);
  return own == 0xFFFFFFFFu || own == id;
}

}  // namespace

int32_t CountMovieRefs() { return CountReferencedFiles(); }
uint8_t* GetMovieRef(int32_t i) { return GetReferencedFileEntry(i); }
uint16_t GetMovieRefFlags(const uint8_t* entry) { return ReadU16BE(entry + kRefFlags); }
void SetMovieRefFlags(uint8_t* entry, uint16_t flags) { WriteU16BE(entry + kRefFlags, flags); }
FSIORefNum GetMovieRefFork(const uint8_t* entry) { return FSIORefNum(ReadU32BE(entry + kRefFork)); }
Handle GetMovieRefAlias(const uint8_t* entry) { return Handle(ReadU32BE(entry + kRefAlias)); }

int32_t FindMovieReference(const FSSpec* file, int16_t* notFound, uint32_t id) {
  int32_t freeEntry = -1;
  *notFound = 1;
  for (int32_t i = 0; i < CountMovieRefs(); ++i) {
    const uint8_t* entry = GetMovieRef(i);
    Handle alias = GetMovieRefAlias(entry);
    bool byId = GetMovieRefFlags(entry) & kMovieRefByMovieId;
    if (!alias && !byId) {
      freeEntry = i;
      continue;
    }
    bool match = file ? !(GetMovieRefFlags(entry) & kMovieRefUnresolved) && AliasMatches(alias, file)
                      : MatchesMovieId(entry, id);
    if (match) {
      *notFound = 0;
      return i;
    }
  }
  return freeEntry;
}

int32_t NewMovieRefEntry() {
  int32_t last = -1;
  for (int32_t i = 0; i < CountMovieRefs(); ++i) {
    const uint8_t* entry = GetMovieRef(i);
    if (!GetMovieRefAlias(entry) && !(GetMovieRefFlags(entry) & kMovieRefByMovieId)) last = i;
  }
  if (last >= 0) return last;
  Handle table = EnsureMovieRefTable();
  if (!table) return -1;
  int32_t index = CountMovieRefs();
  SetHandleSize(table, Size(index + 1) * kReferencedFileSize);
  if (MemError() != noErr) return -1;
  std::memset(GetMovieRef(index), 0, kReferencedFileSize);
  return index;
}

OSErr AddMovieReference(uint32_t id, const FSSpec* file, int32_t* index, int32_t flags, float rate) {
  int16_t notFound = 1;
  int32_t i = -1;
  if (flags >= 0) i = FindMovieReference(file, &notFound, id);
  if (notFound) i = NewMovieRefEntry();
  if (i < 0) return memFullErr;
  uint8_t* entry = GetMovieRef(i);
  if (notFound) {
    std::memset(entry, 0, kReferencedFileSize);
    if (file && !(flags & kMovieRefByMovieId)) {
      Handle alias;
      if (OSErr err = NewAlias(nullptr, file, &alias)) return err;
      entry = GetMovieRef(i);
      WriteU32BE(entry + kRefAlias, alias.id);
    }
    SetMovieRefFlags(entry, uint16_t(flags));
  }
  WriteF32BE(entry + kMovieRefRate, rate);
  entry[kRefKind] = kRefKindMovie;
  if (id != 0) WriteU32BE(entry + kMovieRefMovie, id);
  WriteU32BE(entry + kMovieRefUseCount, ReadU32BE(entry + kMovieRefUseCount) + 1);
  *index = i;
  return noErr;
}

void ReleaseMovieRefAlias(const FSSpec* file) {
  int16_t notFound = 1;
  int32_t i = FindMovieReference(file, &notFound, 0);
  if (notFound || i < 0) return;
  uint8_t* entry = GetMovieRef(i);
  Handle alias = GetMovieRefAlias(entry);
  WriteU32BE(entry + kRefAlias, 0);
  if (alias && IsValidHandle(alias)) DisposeHandle(alias);
}

void FreeMovieRef(int32_t index) {
  uint8_t* entry = GetMovieRef(index);
  if (!entry) return;
  CloseReferencedFileEntry(entry);
  std::memset(GetMovieRef(index), 0, kReferencedFileSize);
}

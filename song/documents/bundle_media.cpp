#include "song/documents/bundle_media.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/text/pascal_strings.h"
#include "shell/base/file_access.h"
#include "song/documents/document_file.h"
#include "song/documents/document_hooks.h"
#include "song/documents/document_input.h"
#include "song/documents/media_references.h"

namespace {

constexpr OSType kCafType = FourCC("caff");
constexpr OSType kAiffType = FourCC("AIFF");
constexpr OSType kMovieType = FourCC("MooV");
constexpr OSType kMovieCreator = FourCC("TVOD");
constexpr uint32_t kTransferBufferSize = 1 << 20;
constexpr int32_t kHeaderByte128 = 128;
constexpr uint8_t kHeaderByte128Cleared = 0x04 | 0x08 | 0x10;
constexpr int32_t kNameRoom = 56;  // leaves room for " 999" and an extension

const unsigned char kMediaFallbackName[] = "\005Media";

bool IsUnsafeChar(unsigned char c) { return c < 0x20 || c == 0x7f || c == '/' || c == ':' || c == '\\'; }

int16_t CurrentStream() { return gStreamRefNum; }

// Reads n bytes of the document into fork, through buffer; the first bytes may already be in
// hand (head).
OSErr CopyDocumentBytes(int16_t fork, uint32_t n, std::vector<uint8_t>& buffer,
                        const uint8_t* head = nullptr, uint32_t headLength = 0) {
  if (headLength > 0) {
    uint32_t count = headLength;
    OSErr err = WriteFork(fork, &count, head);
    if (err != noErr) return err;
    n -= headLength;
  }
  while (n > 0) {
    uint32_t chunk = std::min<uint32_t>(n, uint32_t(buffer.size()));
    if (ReadDocumentBytes(buffer.data(), chunk) != noErr) return GetDocumentInputError();
    uint32_t count = chunk;
    OSErr err = WriteFork(fork, &count, buffer.data());
    if (err != noErr) return err;
    n -= chunk;
  }
  return noErr;
}

// The base of a file's name: the name without its extension.
void BaseName(ConstStr255Param name, StringPtr base) {
  PLstrcpy(base, name);
  for (int i = base[0]; i > 1; --i) {
    if (base[i] == '.') {
      base[0] = uint8_t(i - 1);
      break;
    }
  }
}

struct UnpackState {
  const FSSpec* document;
  std::vector<uint8_t> buffer;
  uint32_t form = 0;
  Str63 documentName;
};

// Writes one embedded file of length n for entry, then aliases and opens it.
OSErr UnpackEntry(UnpackState& state, uint8_t* entry, uint32_t n, int32_t index) {
  bool movie = entry[kRefKind] != kRefKindAudio;
  Str255 name;
  Handle alias(ReadU32BE(entry + kRefAlias));
  if (GetReferencedFileName(alias, name, 63) != noErr || name[0] == 0)
    PLstrcpy(name, movie ? state.documentName : kMediaFallbackName);
  CloseReferencedFileEntry(entry);
  uint8_t head[4] = {0, 0, 0, 0};
  uint32_t headLength = std::min<uint32_t>(n, 4);
  if (ReadDocumentBytes(head, headLength) != noErr) return GetDocumentInputError();
  bool caf = headLength == 4 && ReadU32BE(head) == kCafType;
  OSType type = movie ? kMovieType : (caf ? kCafType : kAiffType);
  Str63 safe;
  Str255 fallback;
  PLstrcpy(fallback, kMediaFallbackName);
  AppendPChar(fallback, ' ');
  Str255 number;
  NumToString(index + 1, number);
  AppendPString(fallback, number);
  MakeSafeMediaFileName(name, safe, kNameRoom, fallback);
  FSSpec fileSpec;
  OSErr err = MakeUniqueFileSpec(state.document->vRefNum, state.document->parID, safe, &fileSpec);
  if (err == noErr) err = FSpCreate(&fileSpec, movie ? kMovieCreator : kProgramCreator, type, 0);
  if (err != noErr) return err;
  int16_t fork = 0;
  err = FSpOpenDF(&fileSpec, fsRdWrPerm, &fork);
  if (err == noErr) err = CopyDocumentBytes(fork, n, state.buffer, head, headLength);
  if (err == noErr && !movie && state.form == kMaxBundleMediaForm) {
    uint8_t description[kSoundDescriptionSize];
    uint32_t samples = 0;
    ReadDocumentBytes(description, kSoundDescriptionSize);
    ReadDocumentU32(&samples);
    err = GetDocumentInputError();
    if (err == noErr) err = CopyDocumentBytes(fork, samples, state.buffer);
    if (err == noErr)
      err = RewriteUnpackedAudioHeader(fork, caf, description, ReadF32BE(entry + 28));
  }
  if (fork != 0) {
    OSErr closeErr = FSClose(fork);
    if (err == noErr) err = closeErr;
  }
  if (err != noErr) {
    FSpDelete(&fileSpec);
    return err;
  }
  Handle made;
  err = NewAlias(state.document, &fileSpec, &made);
  if (err != noErr) return err;
  WriteU32BE(entry + kRefAlias, made.id);
  uint16_t flags = uint16_t(ReadU16BE(entry + kRefFlags) & ~kRefByFileNumber);
  WriteU16BE(entry + kRefFlags, flags);
  // A file number from the document is no open fork: once the flag is gone, closing the entry
  // would close whatever fork has that number.
  WriteU32BE(entry + kRefFork, 0);
  if (!movie) {
    bool missing = false;
    int16_t prompt = 0;
    err = OpenReferencedFileEntry(entry, state.document, &prompt, &missing);
  }
  WriteU16BE(entry + kRefFlags, uint16_t(ReadU16BE(entry + kRefFlags) | kRefUnpacked));
  return err;
}

// After a failure: the entries from the failing one on, and every movie entry before it.
void ClearAfterFailure(int32_t failed) {
  for (int32_t i = 0; i < CountReferencedFiles(); ++i) {
    uint8_t* entry = GetReferencedFileEntry(i);
    if (i < failed && entry[kRefKind] == kRefKindAudio) continue;
    CloseReferencedFileEntry(entry);
    ClearReferencedFileEntry(entry);
  }
}

OSErr ReadDocumentName(UnpackState& state) {
  if (state.form == 0) {
    BaseName(state.document->name, state.documentName);
    return noErr;
  }
  uint8_t name[kBundleNameBytes];
  if (ReadDocumentBytes(name, kBundleNameBytes) != noErr) return GetDocumentInputError();
  CopyPString(name, state.documentName, std::min<int>(name[0], 63));
  return noErr;
}

}  // namespace

OSErr CheckBundleMediaSection(Handle table) {
  int16_t refNum = CurrentStream();
  int64_t start = 0;
  OSErr err = FetchForkPosition(refNum, &start);
  if (err != noErr) return FailDocumentInput(err);
  uint32_t form = 0;
  if (ReadDocumentU32(&form) != noErr) return GetDocumentInputError();
  if (form <= kMaxBundleMediaForm && form > 0) SkipDocumentBytes(kBundleNameBytes);
  Size count = table ? GetHandleSize(table) / kReferencedFileSize : 0;
  for (Size i = 0; form <= kMaxBundleMediaForm && i < count && GetDocumentInputError() == noErr; ++i) {
    uint32_t n = 0;
    if (ReadDocumentU32(&n) != noErr || n == 0) continue;
    SkipDocumentBytes(n);
    const uint8_t* entry = reinterpret_cast<const uint8_t*>(HandleData(table)) + i * kReferencedFileSize;
    if (form == kMaxBundleMediaForm && entry[kRefKind] == kRefKindAudio) {
      uint32_t samples = 0;
      SkipDocumentBytes(kSoundDescriptionSize);
      ReadDocumentU32(&samples);
      SkipDocumentBytes(samples);
    }
  }
  if (GetDocumentInputError() != noErr) return GetDocumentInputError();
  err = SetForkPosition64(refNum, fsFromStart, start);
  if (err == noErr) err = BeginDocumentInput(refNum);
  return err;
}

OSErr UnpackEmbeddedMediaFiles(const FSSpec* document, bool* unpacked) {
  *unpacked = false;
  gSongFileHeader[kHeaderByte128] &= uint8_t(~kHeaderByte128Cleared);
  UnpackState state;
  state.document = document;
  state.buffer.resize(kTransferBufferSize);
  if (ReadDocumentU32(&state.form) != noErr) return GetDocumentInputError();
  if (state.form > kMaxBundleMediaForm) {
    ClearAfterFailure(0);
    return unimpErr;
  }
  if (ReadDocumentName(state) != noErr) return GetDocumentInputError();
  FSSpec named;
  named.vRefNum = 0;
  named.parID = 0;
  PLstrcpy(named.name, state.documentName);
  gCurrentDocumentSpec = named;
  Handle table = GetReferencedFileTable();
  if (table) HLock(table);
  OSErr err = noErr;
  int32_t i = 0;
  for (; i < CountReferencedFiles() && err == noErr; ++i) {
    uint32_t n = 0;
    err = ReadDocumentU32(&n);
    if (err != noErr || n == 0) continue;
    err = UnpackEntry(state, GetReferencedFileEntry(i), n, i);
    if (err == noErr) *unpacked = true;
  }
  if (err != noErr) ClearAfterFailure(i - 1);
  if (table) HUnlock(table);
  return err;
}

void MakeSafeMediaFileName(ConstStr255Param name, StringPtr safe, int32_t maxLength,
                           ConstStr255Param fallback) {
  int32_t out = 0;
  for (int32_t i = 1; i <= name[0] && out < maxLength; ++i) {
    unsigned char c = name[i];
    if (IsUnsafeChar(c)) continue;
    if (out == 0 && (c == '.' || c == ' ')) continue;
    safe[++out] = c;
  }
  while (out > 0 && (safe[out] == ' ' || safe[out] == '.')) --out;
  safe[0] = uint8_t(out);
  if (out == 0) CopyPString(fallback, safe, maxLength);
}

OSErr MakeUniqueFileSpec(int16_t vRefNum, int32_t dirID, ConstStr255Param name, FSSpec* fileSpec) {
  Str255 base;
  Str255 extension;
  PLstrcpy(base, name);
  extension[0] = 0;
  for (int i = base[0]; i > 1; --i) {
    if (base[i] != '.') continue;
    CopyPString(base, extension, 255);
    std::memmove(extension + 1, base + i, size_t(base[0] - i + 1));
    extension[0] = uint8_t(base[0] - i + 1);
    base[0] = uint8_t(i - 1);
    break;
  }
  for (int32_t n = 1; n <= kMaxUniqueNameTries; ++n) {
    Str255 candidate;
    PLstrcpy(candidate, base);
    if (n > 1) {
      Str255 number;
      NumToString(n, number);
      AppendPChar(candidate, ' ');
      AppendPString(candidate, number);
    }
    AppendPString(candidate, extension);
    if (candidate[0] > 63) return userCanceledErr;
    OSErr err = FSMakeFSSpec(vRefNum, dirID, candidate, fileSpec);
    if (err == fnfErr) return noErr;
    if (err != noErr) return err;
  }
  return userCanceledErr;
}

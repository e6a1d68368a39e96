#include "media/import/media_file_names.h"

#include <unistd.h>

#include <cstring>
#include <string>

#include "media/import/import_hooks.h"
#include "platform/files/file_locations.h"
#include "platform/files/folders.h"
#include "song/documents/document_file.h"

int16_t gMediaFolderVRefNum = 0;
int32_t gMediaFolderDirID = 0;

namespace {

constexpr uint32_t kMaxNameNumber = 65535;

void AppendText(StringPtr s, const uint8_t* text, int32_t n) {
  n = std::min<int32_t>(n, 255 - s[0]);
  if (n <= 0) return;
  std::memcpy(s + 1 + s[0], text, size_t(n));
  s[0] = uint8_t(s[0] + n);
}

bool SameLetters(const uint8_t* a, const uint8_t* b, int32_t n) {
  for (int32_t i = 0; i < n; ++i)
    if (std::tolower(a[i]) != std::tolower(b[i])) return false;
  return true;
}

// The base of a new name: the name without its extension, cut to fit, no path separators.
void MakeBaseName(ConstStr255Param name, int32_t room, StringPtr base) {
  int32_t n = std::min<int32_t>(GetBaseNameLength(name), std::max<int32_t>(room, 1));
  std::memcpy(base + 1, name + 1, size_t(n));
  base[0] = uint8_t(n);
  for (int32_t i = 1; i <= n; ++i)
    if (base[i] == ':' || base[i] == '/') base[i] = '_';
}

// base + number + extension; number 0 gives none.
void ComposeName(ConstStr255Param base, uint32_t number, ConstStr255Param extension, StringPtr out) {
  out[0] = 0;
  AppendText(out, base + 1, base[0]);
  if (number) {
    std::string digits = std::to_string(number);
    AppendText(out, reinterpret_cast<const uint8_t*>(digits.data()), int32_t(digits.size()));
  }
  AppendText(out, extension + 1, extension[0]);
}

bool HasDestination() { return gMediaFolderVRefNum != 0; }

void FindFreeName(NewFileRecord* out, ConstStr255Param extension, ConstStr255Param name, int16_t limit) {
  Str255 base, candidate;
  MakeBaseName(name, limit - extension[0] - 7, base);
  for (uint32_t n = 0; n <= kMaxNameNumber; ++n) {
    ComposeName(base, n, extension, candidate);
    OSErr err = FSMakeFSSpec(gMediaFolderVRefNum, gMediaFolderDirID, candidate, &out->file);
    if (err == fnfErr) {
      out->valid = 1;
      return;
    }
    if (err != noErr) return;  // a bad name or folder: no usable name
  }
}

}  // namespace

int32_t GetBaseNameLength(ConstStr255Param name) {
  int32_t length = name[0];
  if (length < 2) return length;
  for (int32_t i = length; i > 1; --i)
    if (name[i] == '.') return i - 1;
  return length;
}

void StripNameExtension(StringPtr name, ConstStr255Param extension) {
  int32_t n = extension[0];
  if (n == 0 || n > name[0]) return;
  if (SameLetters(name + 1 + name[0] - n, extension + 1, n)) name[0] = uint8_t(name[0] - n);
}

OSErr SetMediaDestinationFolder(const FSSpec* file) {
  std::string folder = SpecFolderPath(file);
  if (folder.empty() || access(folder.c_str(), W_OK) != 0) return kMediaFolderLockedErr;
  gMediaFolderVRefNum = file->vRefNum;
  gMediaFolderDirID = file->parID;
  return noErr;
}

void MakeUniqueFileSpecMax(NewFileRecord* out, ConstStr255Param extension, ConstStr255Param name, int16_t limit) {
  out->fork = -1;
  out->valid = 0;
  if (!HasDestination()) {
    FSSpec folder;
    if (ChooseMediaFolder(&folder, kChooseMediaFolderPrompt) != noErr) return;
    gMediaFolderVRefNum = folder.vRefNum;
    gMediaFolderDirID = DirIDForPath(SpecToPath(&folder));
  }
  FindFreeName(out, extension, name, limit);
}

OSErr UniqueNameError() { return HasDestination() ? OSErr(memFullErr) : OSErr(userCanceledErr); }

void MakeUniqueFileSpec(NewFileRecord* out, ConstStr255Param extension, ConstStr255Param name) {
  MakeUniqueFileSpecMax(out, extension, name, kMediaNameLimit);
}

void MakeUniqueFileSpecDefault(NewFileRecord* out, ConstStr255Param extension) {
  MakeUniqueFileSpec(out, extension, gCurrentDocumentSpec.name);
}

OSErr MakeTempFileSpec(FSSpec* spec, ConstStr255Param name) {
  int16_t vRefNum = 0;
  int32_t dirID = 0;
  OSErr err = FindFolder(kOnSystemDisk, kTemporaryFolderType, true, &vRefNum, &dirID);
  if (err != noErr) return err;
  err = FSMakeFSSpec(vRefNum, dirID, name, spec);
  return err == fnfErr ? OSErr(noErr) : err;
}

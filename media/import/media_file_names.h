// Names of the media files the program writes (converted imports, decoded files, extracted
// movie sound, processed audio): a unique name from the source's base name and an extension
// in the chosen media folder, and that folder itself.
#pragma once

#include <cstdint>

#include "platform/files/files.h"
#include "platform/memory/mac_types.h"

// The folder new media files go into: volume 0 while none is chosen.
extern int16_t gMediaFolderVRefNum;
extern int32_t gMediaFolderDirID;

// A volume that does not take new files.
constexpr OSErr kMediaFolderLockedErr = -9075;
// The longest name MakeUniqueFileSpec makes.
constexpr int16_t kMediaNameLimit = 31;
// The prompt of the folder chooser.
constexpr int16_t kChooseMediaFolderPrompt = 17;

struct NewFileRecord {
  uint16_t valid = 0;  // 1 when a usable name was found
  FSSpec file{};
  int16_t fork = -1;   // -1 until opened
};

// The name's length without its last "." and what follows it (the whole length when the
// name is shorter than 2 or has no "." after its first character).
int32_t GetBaseNameLength(ConstStr255Param name);
// Shortens name by extension when it ends with it (case-insensitive).
void StripNameExtension(StringPtr name, ConstStr255Param extension);
// The file's folder becomes the destination; -9075 (destination left unset) when the folder
// does not take new files.
OSErr SetMediaDestinationFolder(const FSSpec* file);
// base + extension, else base + n + extension for n = 1, 2, 3 ... in the destination; the
// base is the name without its extension, cut to limit - extension length - 7 characters,
// with ':' and '/' replaced by '_'. Without a destination the user chooses one (a cancel
// leaves the record invalid).
void MakeUniqueFileSpecMax(NewFileRecord* out, ConstStr255Param extension, ConstStr255Param name, int16_t limit);
void MakeUniqueFileSpec(NewFileRecord* out, ConstStr255Param extension, ConstStr255Param name);
// Why a record stayed invalid: -128 when no destination was chosen, else -108.
OSErr UniqueNameError();
// The same named after the current song document.
void MakeUniqueFileSpecDefault(NewFileRecord* out, ConstStr255Param extension);
// The name in the system's temporary folder.
OSErr MakeTempFileSpec(FSSpec* spec, ConstStr255Param name);

#include "song/documents/file_kinds.h"

#include <cstring>

namespace {

constexpr int kMaxExtension = 5;  // dot included

struct TypeKind {
  OSType type;
  int16_t kind;
};

constexpr TypeKind kTypeKinds[] = {
    {FourCC("mRCd"), kFileKindPreset},       {FourCC("mREd"), kFileKindPreset},
    {FourCC("mRTd"), kFileKindPreset},       {FourCC("BYSQ"), kFileKindSongDocument},
    {FourCC("BSEQ"), kFileKindSongDocument}, {FourCC("BYS "), kFileKindSongDocument},
    {FourCC("MSD "), kFileKindSongDocument}, {FourCC("Mbun"), kFileKindBundle},
    {FourCC("AIFF"), kFileKindAudioFile},    {FourCC("caff"), kFileKindAudioFile},
    {FourCC("WAVE"), kFileKindAudioFile},    {FourCC("OggV"), kFileKindAudioFile},
    {FourCC("FLAC"), kFileKindAudioFile},    {FourCC("TEXT"), kFileKindAudioFile},
    {FourCC("UNKN"), kFileKindAudioFile},    {FourCC("mJBp"), kFileKindPlayList},
    {FourCC("AIFC"), kFileKindAudioFile},    {FourCC("OggS"), kFileKindAudioFile},
    {FourCC("MPG3"), kFileKindAudioFile},    {FourCC("mp3 "), kFileKindAudioFile},
    {FourCC("flac"), kFileKindAudioFile},
    {FourCC("MDAV"), kFileKindTrackAudio},   {FourCC("MooV"), kFileKindMovie},
};

// Extension rules, applied in order (a later rule wins).
struct ExtensionRule {
  const char* extension;
  OSType type;
};

constexpr ExtensionRule kExtensionRules[] = {
    {".aif", FourCC("AIFF")},  {".aiff", FourCC("AIFF")}, {".caf", FourCC("AIFF")},
    {".mid", FourCC("Midi")},  {".kar", FourCC("Midi")},  {".wav", FourCC("WAVE")},
    {".bndl", FourCC("Mbun")}, {".bnd", FourCC("Mbun")},  {".msd", FourCC("BYSQ")},
    {".bysq", FourCC("BYSQ")},
};

bool EqualsIgnoringCase(ConstStr255Param s, const char* text) {
  size_t n = std::strlen(text);
  if (s[0] != n) return false;
  for (size_t i = 0; i < n; ++i) {
    unsigned char a = s[i + 1];
    unsigned char b = static_cast<unsigned char>(text[i]);
    if (a >= 'A' && a <= 'Z') a = static_cast<unsigned char>(a + 32);
    if (a != b) return false;
  }
  return true;
}

// The type the four characters after the extension's dot spell (blank-padded).
OSType TypeFromExtension(ConstStr255Param extension) {
  OSType type = 0;
  for (int i = 0; i < 4; ++i) {
    unsigned char c = i + 2 <= extension[0] ? extension[i + 2] : ' ';
    type = (type << 8) | c;
  }
  return extension[0] > 1 ? type : 0;
}

}  // namespace

void GetNameExtension(ConstStr255Param name, StringPtr extension) {
  extension[0] = 0;
  for (int i = name[0]; i >= 1; --i) {
    if (name[i] != '.') continue;
    int n = name[0] - i + 1;
    if (i > 1 && n <= kMaxExtension) {
      std::memcpy(extension + 1, name + i, size_t(n));
      extension[0] = static_cast<unsigned char>(n);
    }
    return;
  }
}

bool IsMidiFileExtension(ConstStr255Param extension) {
  return EqualsIgnoringCase(extension, ".mid") || EqualsIgnoringCase(extension, ".kar");
}

int16_t FileKindForType(OSType type) {
  for (const TypeKind& k : kTypeKinds)
    if (k.type == type) return k.kind;
  return kFileKindMidiFile;
}

bool HasDamagedSideFile(const FSSpec* fileSpec) {
  FInfo info;
  bool isFolder = false;
  return FSpGetFInfo(fileSpec, &info) == ioErr && SpecExists(fileSpec, &isFolder) && !isFolder;
}

int16_t GetFileKind(const FSSpec* fileSpec, OSType* outType) {
  Str255 extension;
  GetNameExtension(fileSpec->name, extension);
  bool isFolder = false;
  if (SpecExists(fileSpec, &isFolder) && isFolder) return notAFileErr;
  FInfo info;
  OSErr err = FSpGetFInfo(fileSpec, &info);
  if (err == ioErr && HasDamagedSideFile(fileSpec)) info = FInfo();  // the name tells the type
  else if (err != noErr) return err;
  OSType type = info.fdType;
  bool byExtension = type == 0 || type == FourCC("TEXT");
  if (type == 0) type = TypeFromExtension(extension);
  if (byExtension) {
    for (const ExtensionRule& rule : kExtensionRules)
      if (EqualsIgnoringCase(extension, rule.extension)) type = rule.type;
  }
  if (outType) *outType = type;
  return FileKindForType(type);
}

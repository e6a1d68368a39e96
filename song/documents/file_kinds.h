// The kinds of files the program opens, told by their Finder type and, for files without a
// type (or of type 'TEXT'), by their name's extension.
#pragma once

#include <cstdint>

#include "platform/files/files.h"
#include "platform/memory/mac_types.h"

enum FileKind : int16_t {
  kFileKindPreset = 0,        // 'mRCd' 'mREd' 'mRTd': nothing is opened
  kFileKindSongDocument = 1,  // 'BYSQ' 'BSEQ' 'BYS ' 'MSD '
  kFileKindBundle = 2,        // 'Mbun'
  kFileKindMidiFile = 3,      // every other type, 'Midi' included
  kFileKindAudioFile = 4,     // 'AIFF' 'caff' 'WAVE' 'OggV' 'FLAC' 'TEXT' 'UNKN'
  kFileKindPlayList = 5,      // 'mJBp'
  kFileKindTrackAudio = 6,    // 'MDAV': nothing is opened
  kFileKindMovie = 7,         // 'MooV'
};

// The kind of a file type.
int16_t FileKindForType(OSType type);
// The file's kind (0..7), or the File Manager's error (fnfErr for a missing file, notAFileErr
// for a folder); outType (optional) receives the type the kind was taken from. A damaged side
// file is passed over: the name's extension tells the type.
int16_t GetFileKind(const FSSpec* fileSpec, OSType* outType);
// True when the file exists but its side file (Finder info, resource fork) is damaged.
bool HasDamagedSideFile(const FSSpec* fileSpec);
// True for ".MID" and ".kar" (case ignored).
bool IsMidiFileExtension(ConstStr255Param extension);
// The extension of a name: from its last '.' on, when that is fewer than 6 characters with
// the dot; else empty.
void GetNameExtension(ConstStr255Param name, StringPtr extension);

// VST program files ("fxp") and bank files ("fxb"): the mixer saves a plug-in's current
// program or its whole bank as one, and reads them back into a plug-in's preset list (the
// files of its preset folders, and bank files a preset refers to). Every multi-byte field is
// big-endian; parameter values are 32-bit floats.
//
//   0 'CcnK'  4 file length - 8  8 'FxCk' / 'FPCh' / 'FxBk' / 'FBCh'  12 version 1
//   16 plug-in id  20 plug-in version (0)  24 parameter count n, or the bank's program count
//   program: 28 name (28 bytes, zero-terminated), 56 n values or a chunk size s and the chunk
//            from 60
//   bank:    28..155 zero, 156 the program records (each laid out like a program file with
//            values, 56 + 4n bytes by its own n) or a chunk size s and the chunk from 160
//
// Also read: resource presets (type 'mPiP': resource 128 of the plug-in id's type, its chunk
// in 'EcNk' 128) and 'EM9S' presets (n at 8, the id at 20, the values from 24).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/files/files.h"
#include "platform/memory/mac_types.h"

constexpr OSType kVstPresetCreator = FourCC("V|ov");
constexpr OSType kVstProgramFileType = FourCC("fxp ");
constexpr OSType kVstBankFileType = FourCC("fxb ");
// A preset file whose sizes and counts do not fit the file.
constexpr OSErr kPresetFileDamagedErr = -2089;

struct PresetWriteRequest {
  Handle list;          // a PluginPresetList (plugins/host/plugin_preset_lists.h)
  OSType fileType = kVstProgramFileType;
  uint32_t pluginId = 0;
};

struct PresetReadRequest {
  OSType fileType = 0;        // the file's Finder type (0 or '????': its extension decides)
  FSSpec file;
  uint32_t pluginId = 0;
  uint32_t parameterCount = 0;
  Handle list;                // the presets are appended here
  bool importAll = false;     // every program of a bank, not only the first
  bool nameAfterFile = false; // presets take the file's name, never the stored one
  OSErr result = noErr;
};

// Writes the first slot of the list as a program, or the whole list (or the first slot's
// bank chunk) as a bank, in place of the file (the old file stays whole until the new one is
// complete). The program's name is the file's name up to its last dot, at most 27
// characters. noErr, memFullErr or the file system's result.
OSErr WriteVstPresetFile(const FSSpec* file, const PresetWriteRequest* request);
// Adds the presets of one file to request->list; leaves the result in request->result: noErr
// also for files of another plug-in or type (skipped), paramErr for an unknown magic,
// kPresetFileDamagedErr when a size or count does not fit, memFullErr (the presets added
// before stay), or the file system's result.
void ReadVstPresetFile(PresetReadRequest* request);
// The same for a program or bank file's bytes (fileName: what a preset without a stored name
// is called).
OSErr AddVstPresetBytes(const uint8_t* data, size_t size, ConstStr255Param fileName,
                        PresetReadRequest* request);
// The name a read gives the preset of a file just written under fileName: a program's stored
// name (the file's name up to its last dot, at most 27 characters) unless it holds no letter
// or presets are named after their files; a bank's, the file's name.
void SavedPresetName(ConstStr255Param fileName, bool bank, bool nameAfterFile, Str31 name);
// Whether the name ends in "." and the extension (any case).
bool HasFileExtension(ConstStr255Param name, const char* extension);

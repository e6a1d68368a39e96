// The "outputs" file: a copy of the instrument table beside the preferences file, read
// back without losing the tracks' bindings.
//
// Named by the preferences file's name with its last character replaced by "outputs";
// type 0, creator 'V|ov'. Contents: 'V|ov', u32 1, then the instrument table in the song
// document's current form (see instrument_table_io.h).
#pragma once

#include <cstdint>

#include "platform/files/file_types.h"
#include "platform/memory/mac_types.h"

constexpr uint32_t kOutputsFileFormat = 1;
// The preferences resource that the outputs file replaces.
constexpr int16_t kOldOutputsResId = 149;

// The outputs file's fileSpec; returns the length of its name, 0 when there is no preferences
// fileSpec.
int32_t GetOutputsFileSpec(FSSpec* fileSpec);
// Removes 'BMID' 149 from the preferences resource file when that file is open, then writes
// the file through a temporary file, so that a failure leaves the old one as it was.
OSErr WriteOutputsFile();
// WriteOutputsFile, with a failure reported naming the file.
OSErr SaveOutputsFile();
// Reads the file's instrument table and makes it the program's, the tracks keeping their
// outputs (see output_bindings.h); with undoable set, as an undo step of kind 38. A missing
// file, a wrong creator or format, or a damaged table leaves the table as it was. The master
// volume is 127 afterwards in every case.
OSErr ReadOutputsFile(bool undoable);

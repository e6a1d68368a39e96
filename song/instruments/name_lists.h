// Name-list files: a names block (u16 count, then that many Pascal strings) and an optional
// event block, for the caller (the controller and program name lists).
//
//   'MPNM': u32 size, names block [, u32 size, event block]
//   'MPN2': u16 version, then the same; an event block of a version below 784 is in the
//           older 10-byte record form and is converted.
//
// Every size is checked against the file and the names block's count against its strings;
// an event block must end with its end record. A damaged file gives an error and no handle.
#pragma once

#include <cstdint>

#include "platform/files/files.h"

struct NameListResult {
  Handle names;     // u16 count, then the strings
  Handle events;    // a SeqEvent list with its end record, or null
  uint16_t version = 0;
  Str63 fileName = {0};
};

// Reads the name list at fileSpec. Any type other than 'MPNM' and 'MPN2' would be an instrument
// definition text file, whose reader belongs to the sequencer and is not there yet: such
// files are refused with -4. Returns 0, -39 (a size beyond the file), -50 (a names block
// that does not hold its strings, or an event block that is not a list), the memory error or
// the file error; the error is reported. On an error both handles are null.
OSErr ImportNameList(const FSSpec* fileSpec, NameListResult* result);
// Checks a names block: u16 count, then count strings that all fit.
bool IsValidNameList(Handle names);
// Builds a names block from count() strings, string(i, out) each; null when a string cannot
// be had or memory runs out (nothing is left allocated).
using NameCountProc = int32_t (*)(void* arg);
using NameStringProc = bool (*)(int32_t index, StringPtr out, void* arg);
Handle BuildNameList(NameCountProc count, NameStringProc string, void* arg);

// System-exclusive dump files: every complete F0 ... F7 message of the file becomes a data
// event of the current track, the first at the insertion time and each further one a
// sixteenth note later.
//
// The file is read in blocks of 128 bytes; a message may run across blocks. A status byte
// inside a message (a new F0 included) drops the message being collected; bytes outside
// messages are ignored. A file that ends inside a message keeps every complete message before
// it (the cut is reported); a shortage of memory inserts no event at all.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/files/files.h"

constexpr OSErr kSysExNoMessageErr = 40;   // the file holds no complete message
constexpr OSErr kSysExCutShortErr = 41;    // the file ends inside a message
constexpr uint32_t kSysExBlockSize = 128;

struct SysExDumpResult {
  int32_t messages = 0;      // data events inserted
  uint32_t nextTick = 0;     // the insertion time after the last one
  bool cutShort = false;     // the file ended inside a message, which was left out
};

// Imports the dump at fileSpec into the current track from insertionTick on. Returns 0 (with
// result->cutShort set, and 41 reported, when the file ended inside a message after complete
// ones), 40 or 41 (both reported to the user), the file error, or the memory error (reported).
OSErr ImportSysExDump(const FSSpec* fileSpec, uint32_t insertionTick, SysExDumpResult* result);
// The collecting step on its own, for the fuzzer and the tests: the messages of bytes
// (each F0 ... F7, back to back) into a new handle, their lengths into lengths. Returns 0,
// 40, 41 (no complete message before the cut) or the memory error; with complete messages
// before a cut it returns 0 and sets *cutShort when given.
OSErr CollectSysExMessages(const uint8_t* bytes, uint32_t count, Handle* messages,
                           std::vector<uint32_t>* lengths, bool* cutShort = nullptr);

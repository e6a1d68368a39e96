#include "song/instruments/name_lists.h"

#include <cstring>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/text/pascal_strings.h"
#include "shell/base/error_report.h"
#include "shell/base/file_access.h"
#include "shell/base/memory_reserve.h"
#include "song/documents/import_files.h"
#include "song/events/old_event_lists.h"
#include "song/events/seq_event.h"

namespace {

// The event block must be a list: whole records up to an end record that closes the block
// (the list's users take the block's last bytes for its end).
bool IsValidEventList(Handle list) {
  const uint8_t* p = reinterpret_cast<const uint8_t*>(HandleData(list));
  uint32_t size = uint32_t(GetHandleSize(list));
  uint32_t at = 0;
  while (at + kEndRecordSize <= size) {
    if (SeqEventTime(p + at) == 0) return at + kEndRecordSize == size;
    uint32_t length = SeqEventLengthWithin(p + at, size - at);
    if (length == 0) return false;
    at += length;
  }
  return false;
}

OSErr ReadNameListBlocks(OSType type, NameListResult* result) {
  if (type == kNameList2Type) {
    uint8_t version[2];
    if (StreamBytesLeft() < sizeof version) return eofErr;
    if (ReadBlock(version, sizeof version) != noErr) return GetLastFileError();
    result->version = ReadU16BE(version);
  }
  OSErr err = ReadSizedBlock(&result->names);
  if (err != noErr) return err;
  if (!IsValidNameList(result->names)) return paramErr;
  if (StreamBytesLeft() == 0) return noErr;
  err = ReadSizedBlock(&result->events);
  if (err != noErr) return err;
  if (result->version < kFirstCurrentEventListVersion) {
    Handle converted = ConvertOldEventList(result->events, &err);
    if (!converted) return err;
    result->events = converted;
  }
  return IsValidEventList(result->events) ? noErr : paramErr;
}

}  // namespace

bool IsValidNameList(Handle names) {
  if (!names) return false;
  const uint8_t* p = reinterpret_cast<const uint8_t*>(HandleData(names));
  uint32_t size = uint32_t(GetHandleSize(names));
  if (size < 2) return false;
  uint32_t count = ReadU16BE(p);
  uint32_t at = 2;
  for (uint32_t i = 0; i < count; ++i) {
    if (at >= size || at + 1 + p[at] > size) return false;
    at += 1 + p[at];
  }
  return true;
}

OSErr ImportNameList(const FSSpec* fileSpec, NameListResult* result) {
  *result = NameListResult();
  int16_t saved = 0;
  OSType type = 0;
  OSErr err = OpenFileForImport(fileSpec, &saved, &type);
  if (err != noErr) return err;
  if (type == kNameListType || type == kNameList2Type)
    err = ReadNameListBlocks(type, result);
  else
    err = unimpErr;
  CloseFileForImport(saved);
  if (err == noErr) {
    CopyPString(fileSpec->name, result->fileName, 63);
    return noErr;
  }
  DisposeHandleAndClear(&result->names);
  DisposeHandleAndClear(&result->events);
  ReportPendingMemoryAlert();
  ReportFileError(err, fileSpec->name, kFileActionRead);
  return err;
}

Handle BuildNameList(NameCountProc count, NameStringProc string, void* arg) {
  int32_t n = count(arg);
  if (n < 0 || n > 0xFFFF) return Handle();
  Handle names = NewHandleClearWithReserve(2);
  if (!names) return Handle();
  WriteU16BE(HandleData(names), uint16_t(n));
  Str255 s;
  for (int32_t i = 0; i < n; ++i) {
    s[0] = 0;
    if (!string(i, s, arg) || PtrAndHand(s, names, s[0] + 1) != noErr) {
      DisposeHandle(names);
      return Handle();
    }
  }
  return names;
}

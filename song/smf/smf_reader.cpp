#include "song/smf/smf_reader.h"

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "shell/base/file_access.h"
#include "shell/base/memory_reserve.h"
#include "song/smf/smf_import_state.h"

namespace {

OSErr LoadChunkBody(uint32_t length) {
  // Not cleared: the read fills it, or it is freed.
  uint32_t block = uint32_t(MaxBlock());
  if (length > block || block - length <= gMemoryReserve) return memFullErr;
  Handle body = NewHandle(Size(length));
  if (!body) return MemError() ? MemError() : OSErr(memFullErr);
  HLock(body);
  if (length > 0) ReadBlock(HandleData(body), length);
  OSErr err = GetLastFileError();
  if (err == noErr && gStreamByteCount != length) err = eofErr;
  if (err != noErr) {
    DisposeHandle(body);
    return err;
  }
  gSmfChunk = body;
  return noErr;
}

// True when the file starts with a header chunk's id (read from the start; the stream's
// position is lost).
bool StartsWithHeaderId() {
  uint8_t id[4];
  if (SetForkPosition(gStreamRefNum, fsFromStart, 0) != noErr) return false;
  return ReadBlock(id, sizeof id) == noErr && ReadU32BE(id) == kSmfHeaderChunk;
}

}  // namespace

bool ReadVariableLengthNumber(const uint8_t** cursor, const uint8_t* end, uint32_t* value) {
  const uint8_t* p = *cursor;
  uint32_t v = 0;
  for (int i = 0; i < kSmfMaxVariableBytes; ++i) {
    if (p >= end) return false;
    uint8_t b = *p++;
    v = (v << 7) | (b & 0x7F);
    if (!(b & 0x80)) break;
  }
  *value = v;
  *cursor = p;
  return true;
}

OSErr ReadSmfChunk(uint32_t id) {
  DisposeHandleAndClear(&gSmfChunk);
  OSErr missing = id == kSmfHeaderChunk ? kSmfNotMidiFileErr : kSmfMissingTrackErr;
  for (;;) {
    uint8_t header[kSmfChunkHeaderSize];
    if (StreamBytesLeft() < uint32_t(kSmfChunkHeaderSize)) return missing;
    gStreamByteCount = 0;
    if (ReadBlock(header, sizeof header) != noErr) return missing;
    uint32_t length = ReadU32BE(header + 4);
    if (length > 0x7fffffffu || length > StreamBytesLeft()) return missing;
    if (ReadU32BE(header) == id) {
      gStreamByteCount = 0;
      OSErr err = LoadChunkBody(length);
      if (err == noErr) return noErr;
      return err == memFullErr ? err : missing;
    }
    if (SetForkPosition(gStreamRefNum, fsFromMark, int32_t(length)) != noErr) return missing;
  }
}

OSErr ReadSmfHeader(SmfHeader* header) {
  OSErr err = ReadSmfChunk(kSmfHeaderChunk);
  if (err == kSmfNotMidiFileErr && StartsWithHeaderId()) return kSmfHeaderCutShortErr;
  if (err != noErr) return err;
  if (GetHandleSize(gSmfChunk) < kSmfHeaderBodySize) return kSmfHeaderLengthErr;
  const uint8_t* p = reinterpret_cast<const uint8_t*>(HandleData(gSmfChunk));
  header->format = ReadU16BE(p);
  header->trackCount = ReadU16BE(p + 2);
  header->division = ReadI16BE(p + 4);
  if (header->format > 2) return kSmfUnknownFormatErr;
  if (header->division == 0) return kSmfZeroDivisionErr;
  return noErr;
}

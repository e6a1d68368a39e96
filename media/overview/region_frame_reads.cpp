#include "media/overview/region_frame_reads.h"

#include <algorithm>
#include <cstring>

#include "audio/engine/region_lookup.h"
#include "media/overview/overview_compute.h"
#include "platform/memory/byte_order.h"
#include "shell/base/file_access.h"
#include "song/documents/media_references.h"
#include "song/model/audio_region.h"

OSErr ReadRegionFrames(const uint8_t* region, int64_t first, int32_t count, int32_t frameBytes, uint8_t* buffer,
                       int32_t* got, bool* silent) {
  *got = 0;
  *silent = true;
  uint16_t flags = ReadU16BE(region + kRegionFlagsAt);
  const uint8_t* entry = GetReferencedFileEntry(ReadU16BE(region + kRegionFileIndexAt));
  if ((flags & (kRegionFlagSilent | kRegionFlagMissing)) || !entry || (ReadU16BE(entry + kRefFlags) & kRefByFileNumber) ||
      ReadU32BE(entry + kRefFork) == 0 || frameBytes <= 0) {
    *got = count;
    return noErr;
  }
  uint32_t bytes = uint32_t(count) * uint32_t(frameBytes);
  int64_t at = int64_t(ReadU32BE(region + kRegionFileOffsetAt)) + first * frameBytes;
  OSErr err = ReadForkAtLocked(int16_t(ReadU32BE(entry + kRefFork)), fsFromStart, at, &bytes, buffer);
  *silent = false;
  *got = int32_t(bytes / uint32_t(frameBytes));
  if (err == eofErr) return noErr;  // a file shorter than its region ends the audio there
  return err;
}

OSErr ReadRegionListFrames(Handle regions, int64_t position, int32_t count, int32_t frameBytes, uint8_t* buffer,
                           int32_t* got) {
  *got = 0;
  if (!regions || frameBytes <= 0) return paramErr;
  while (*got < count) {
    int64_t start = 0, end = 0;
    int32_t index = FindRegionAtPosition(position, &start, &end, regions);
    if (index < 0) break;
    const uint8_t* region = RegionRecord(regions, index);
    if (region[kRegionBytesPerFrameAt] != frameBytes) return kOverviewNoFrameSize;
    int32_t n = int32_t(std::min<int64_t>(count - *got, end - position));
    uint8_t* out = buffer + int64_t(*got) * frameBytes;
    int32_t read = 0;
    bool silent = false;
    OSErr err = ReadRegionFrames(region, position - start, n, frameBytes, out, &read, &silent);
    if (err != noErr) return err;
    if (silent) std::memset(out, 0, size_t(read) * size_t(frameBytes));
    if (read == 0) break;
    *got += read;
    position += read;
    if (read < n) break;  // the file ends before its region
  }
  return noErr;
}

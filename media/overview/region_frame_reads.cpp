#include "media/overview/region_frame_reads.h"

#include <algorithm>
#include <cstring>

#include "audio/engine/region_lookup.h"
#include "media/overview/overview_compute.h"
#include "media/track_audio/sample_access.h"
#include "platform/memory/byte_order.h"
#include "shell/base/file_access.h"
#include "song/documents/media_references.h"
#include "song/model/audio_region.h"

OSErr ReadOverviewRegionFrames(const uint8_t* region, int64_t first, int32_t count, int32_t frameBytes,
                               uint8_t* buffer, int32_t* got, bool* silent) {
  *got = 0;
  *silent = true;
  uint16_t flags = ReadU16BE(region + kRegionFlagsAt);
  const uint8_t* entry = GetReferencedFileEntry(ReadU16BE(region + kRegionFileIndexAt));
  // A picture of the audio shows what is missing or closed as silence instead of failing.
  if ((flags & (kRegionFlagSilent | kRegionFlagMissing)) || !entry || (ReadU16BE(entry + kRefFlags) & kRefByFileNumber) ||
      ReadU32BE(entry + kRefFork) == 0 || frameBytes <= 0 || region[kRegionBytesPerFrameAt] != frameBytes) {
    *got = count;
    return noErr;
  }
  int64_t read = 0;
  OSErr err = ReadRegionFrames(buffer, 0, region, first, count, &read, silent);
  *got = int32_t(read);
  if (err == eofErr) return noErr;  // a file shorter than its region ends the audio there
  return err;
}

OSErr ReadOverviewListFrames(Handle regions, int64_t position, int32_t count, int32_t frameBytes, uint8_t* buffer,
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
    OSErr err = ReadOverviewRegionFrames(region, position - start, n, frameBytes, out, &read, &silent);
    if (err != noErr) return err;
    if (silent) std::memset(out, 0, size_t(read) * size_t(frameBytes));
    if (read == 0) break;
    *got += read;
    position += read;
    if (read < n) break;  // the file ends before its region
  }
  return noErr;
}

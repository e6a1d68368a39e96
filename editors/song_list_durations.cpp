#include "editors/song_list_durations.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "editors/song_list_settings.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "shell/base/app_strings.h"
#include "shell/drawing/text_drawing.h"
#include "song/conductor/conductor_time.h"
#include "song/conductor/tempo_tables.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"

namespace {

constexpr int16_t kTotalText = 55;  // general text item 56
const unsigned char kWidestTime[] = "\011 00:00:00";
constexpr int16_t kColumnMargin = 8;

uint64_t SubframesPerSecond() {
  return gMicrosecondsPerSubframe > 0 ? uint64_t(1000000.0 / gMicrosecondsPerSubframe + 0.5) : 2400;
}

void CopyText(const char* text, Str255 out) {
  size_t n = std::min<size_t>(std::strlen(text), 255);
  out[0] = uint8_t(n);
  std::memcpy(out + 1, text, n);
}

}  // namespace

void UpdateSongDuration() {
  if (!gCurrentSong) return;
  uint32_t end = ReadU32BE(gCurrentSong + kSongEndTick);
  uint32_t duration = kUnknownSongDuration;
  if (end >= 1 && end <= 0x7fffffffu) duration = std::min<uint32_t>(TickToTimeFrom(1, int32_t(end)), kUnknownSongDuration);
  TickToTime(1);
  WriteU32BE(gCurrentSong + kSongDuration, duration);
}

void FormatSongListTime(uint32_t subframes, Str255 out) {
  if (subframes >= kUnknownSongDuration) {
    CopyText("-----", out);
    return;
  }
  uint64_t seconds = subframes / SubframesPerSecond();
  char text[32];
  if (seconds >= 3600)
    std::snprintf(text, sizeof text, "%llu:%02llu:%02llu", (unsigned long long)(seconds / 3600),
                  (unsigned long long)(seconds / 60 % 60), (unsigned long long)(seconds % 60));
  else
    std::snprintf(text, sizeof text, "%llu:%02llu", (unsigned long long)(seconds / 60), (unsigned long long)(seconds % 60));
  CopyText(text, out);
}

uint32_t SongListPauseTime() { return uint32_t(gSongListSettings.pause * SubframesPerSecond()); }

uint32_t SumSongListTimes() {
  uint64_t total = 0;
  for (int32_t slot = 0; slot < gSongCount; ++slot) {
    Handle song = GetSongHandleAt(slot);
    if (!song) continue;
    uint32_t duration = ReadU32BE(HandleData(song) + kSongDuration);
    if (duration < kUnknownSongDuration) total += duration;
    total += SongListPauseTime();
  }
  return uint32_t(std::min<uint64_t>(total, kUnknownSongDuration - 1));
}

int16_t MeasureSongListTimeColumn() {
  Str255 total;
  std::memcpy(total, GetAppString(kTotalText), sizeof(Str255));
  return int16_t(MeasurePString(total) + MeasurePString(kWidestTime) + kColumnMargin);
}

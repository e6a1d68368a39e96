#include "shell/app/locator_memories.h"

#include "editors/follow/play_cursor.h"
#include "platform/memory/byte_order.h"
#include "sequencer/transport/transport_engine.h"
#include "sequencer/transport/transport_start_tasks.h"
#include "shell/app/song_switch.h"
#include "song/events/play_range.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/window_redraw.h"

LocatorMemory gLocatorMemories[kLocatorMemoryCount] = {};

namespace {

TimePosition FromClock(const ClockPosition& p) { return TimePosition{p.tick, p.sample, p.rate}; }

TimePosition ReadPosition(const uint8_t* at) {
  return TimePosition{ReadU32BE(at), uint64_t(ReadU32BE(at + 4)), ReadF32BE(at + 8)};
}

void WritePosition(uint8_t* at, const TimePosition& p) {
  WriteU32BE(at, p.tick);
  WriteU32BE(at + 4, uint32_t(p.sample));
  WriteF32BE(at + 8, p.rate);
}

void Store(int16_t n) {
  gLocatorMatchMask = uint8_t((gLocatorMatchMask & ~kLocatorStoreArmed) | (1u << n));
  LocatorMemory& m = gLocatorMemories[n];
  m.left = FromClock(gClockPlayRange[0]);
  m.right = FromClock(gClockPlayRange[1]);
  if (!gCurrentSong) return;
  uint8_t* pair = gCurrentSong + kSongLocators + kSongLocatorPairStride * n;
  WritePosition(pair, m.left);
  WritePosition(pair + kSongLocatorSize, m.right);
}

void Recall(int16_t n) {
  const LocatorMemory& m = gLocatorMemories[n];
  if (m.left.tick == 0) {
    gLocatorMatchMask &= uint8_t(~(1u << n));
    return;
  }
  MarkEditorPanesDirty();
  SetTimeRange(m.left.tick, m.right.tick);
  LocateToPosition(0);
  CommitTimeSelection();
  int32_t tick = int32_t(gLocatePoint.tick);
  if (!IsTickVisible(tick)) ScrollToShowTick(tick);
  MarkEditorPanesDirty();
  InvalidateTrackWindow();
  InvalidateEditorAndLanes();
}

}  // namespace

void LoadLocatorMemoriesFromSong() {
  if (!gCurrentSong) return;
  for (int16_t n = 0; n < kLocatorMemoryCount; ++n) {
    const uint8_t* pair = gCurrentSong + kSongLocators + kSongLocatorPairStride * n;
    gLocatorMemories[n].left = ReadPosition(pair);
    gLocatorMemories[n].right = ReadPosition(pair + kSongLocatorSize);
  }
}

void StoreOrRecallLocatorMemory(int16_t n, bool store) {
  if (n < 0 || n >= kLocatorMemoryCount) return;
  if (store) Store(n);
  else Recall(n);
  InvalidateLocatorButtons((store ? kLocatorStoreArmed : 0u) | (1u << n));
}

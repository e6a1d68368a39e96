#include "editing/transforms/thin_transform.h"

#include <cstdlib>
#include <cstring>

#include "editing/event_cursor.h"
#include "editing/transforms/transform_frame.h"
#include "editing/transforms/value_settings.h"
#include "platform/memory/memory.h"
#include "shell/base/busy_cursor.h"
#include "song/events/seq_event.h"
#include "song/events/time_selection.h"
#include "song/model/song_context.h"
#include "song/model/track_edit_brackets.h"
#include "song/model/utility_track_access.h"

uint8_t gThinFlags = 0x0F;
int32_t gThinMinimumChange = 10;
int32_t gThinMinimumTicks = 10;

namespace {

// One stream per kind, channel and controller number (or poly-pressure key), so that events
// of other channels and keys never count as neighbours.
constexpr int32_t kStreamCount = 4 * 16 * 128;
constexpr int32_t kFarApart = 255;

struct ThinStreams {
  uint32_t lastTick[kStreamCount];
  int32_t lastValue[kStreamCount];
  bool seen[kStreamCount];
};

ThinStreams gStreams;

struct ThinnedValue {
  int32_t stream = -1;  // -1: not an event thin looks at
  int32_t value = 0;
  int32_t minimumChange = 0;
};

ThinnedValue ClassifyEvent(const uint8_t* e) {
  ThinnedValue t;
  int32_t kind = -1;
  int32_t number = 0;
  uint8_t channel = EventChannel(e);
  switch (SeqEventKind(e)) {
    case kKindPitchBend:
      kind = 0;
      // The bend lives in both bytes; changes are measured in steps of its high byte.
      t.value = e[kEventData1] + 128 * e[kEventData2];
      t.minimumChange = gThinMinimumChange * 128;
      break;
    case kKindChannelPressure: kind = 1; t.value = e[kEventData1]; break;
    case kKindPolyPressure: kind = 2; number = e[kEventData1] & 0x7F; t.value = e[kEventData2]; break;
    case kKindController:
      kind = 3;
      number = e[kEventData1] & 0x7F;
      t.value = e[kEventData2];
      if (OnlyControllerN() && number != gTransformController) return t;
      break;
    default: return t;
  }
  if (!(gThinFlags & (1 << kind))) return t;
  if (kind != 0) t.minimumChange = gThinMinimumChange;
  t.stream = (kind * 16 + channel) * 128 + number;
  return t;
}

// True when the event is to go. The first event of a stream is always kept.
bool ThinsEvent(const uint8_t* e, const ThinnedValue& t) {
  int32_t s = t.stream;
  uint32_t tick = SeqEventTime(e);
  if (!gStreams.seen[s]) {
    gStreams.seen[s] = true;
    gStreams.lastTick[s] = tick;
    gStreams.lastValue[s] = t.value;
    return false;
  }
  bool byTime = (gThinFlags & kThinByTime) != 0;
  bool byValue = (gThinFlags & kThinByValue) != 0;
  if (!byTime && !byValue) return false;
  bool tooClose = true;
  if (byTime) {
    uint32_t d = tick - gStreams.lastTick[s];
    tooClose = d < kFarApart && int32_t(d) < gThinMinimumTicks;
    if (!tooClose) gStreams.lastTick[s] = tick;
  }
  if (byValue && tooClose) {
    if (std::abs(t.value - gStreams.lastValue[s]) < t.minimumChange) return true;
    gStreams.lastValue[s] = t.value;
    return false;
  }
  if (!tooClose) gStreams.lastValue[s] = t.value;
  return tooClose;
}

void ThinCurrentTrack() {
  Handle list = GetCurrentTrackEventList();
  if (!list) return;
  std::memset(gStreams.seen, 0, sizeof gStreams.seen);
  uint8_t* listEnd = reinterpret_cast<uint8_t*>(HandleData(list)) + GetHandleSize(list);
  uint32_t end = gTimeSelection.end.tick;
  uint8_t* e = TargetCurrentTrack();
  if (!e) return;
  gEventWriteCursor = e;
  while (e < listEnd) {
    uint32_t tick = SeqEventTime(e);
    uint32_t length = SeqEventLengthWithin(e, uint32_t(listEnd - e));
    if (tick == 0 || tick >= end || length == 0) break;
    SpinBusyCursorIfDue();
    gCurrentEvent = e;
    SplitCursorEvent();
    ThinnedValue t = ClassifyEvent(e);
    if (t.stream >= 0 && CopyFilterTakesEvent() && ThinsEvent(e, t)) {
      gRemovedEventBytes += length;
    } else {
      if (gEventWriteCursor != e) std::memmove(gEventWriteCursor, e, length);
      gEventWriteCursor += length;
    }
    e += length;
  }
  if (gRemovedEventBytes == 0) return;
  // The rest of the list, end record included, moves down behind the last kept event.
  std::memmove(gEventWriteCursor, e, size_t(listEnd - e));
  ShrinkCurrentTrackEvents(gRemovedEventBytes);
  gRemovedEventBytes = 0;
}

}  // namespace

int32_t ThinTrackStep(void*) {
  if (BeginTrackEdit() != noErr) return 0;
  ThinCurrentTrack();
  EndTrackEdit();
  return 0;
}

int32_t ApplyThinTransform() { return ApplyTransformToSelection(kUndoKindThin, ThinTrackStep, nullptr) ? 1 : 0; }

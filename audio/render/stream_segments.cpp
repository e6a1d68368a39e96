#include "audio/render/stream_segments.h"

#include <algorithm>

#include "audio/engine/automation_records.h"
#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_play_state.h"
#include "audio/render/stream_automation.h"
#include "audio/render/stream_block_mix.h"
#include "platform/memory/memory.h"
#include "sequencer/transport/playback_control.h"

namespace {

constexpr uint16_t kPlayStateHeld = 1;

struct Walk {
  EngineChannel* c;
  int64_t position;
  uint8_t* cursor;
  uint8_t* listEnd;  // past the last record of the automation list
  bool automation;
};

// The record's time; a record past the list or at the end mark has none.
bool RecordTime(const Walk& w, const uint8_t* r, int64_t* time) {
  if (!r || r + kAutomationRecordSize > w.listEnd) return false;
  uint32_t t = AutomationView{const_cast<uint8_t*>(r)}.Time();
  if (t >= kAutomationEndOfPoints) return false;
  *time = int64_t(t);
  return true;
}

uint8_t* RecordAtPosition(const Walk& w, int64_t position) {
  return w.c->automation ? FindAutomationRecord(w.c->automation, uint64_t(std::max<int64_t>(position, 0))) : nullptr;
}

void PlayDueRecords(Walk& w) {
  int64_t t = 0;
  while (w.automation && RecordTime(w, w.cursor, &t) && t <= w.position) {
    ApplyAutomationEvent(w.c, w.cursor);
    w.cursor += kAutomationRecordSize;
  }
}

// The next segment at the position (after the jumps it makes): 0 ends the walk.
int32_t NextSegment(Walk& w, int32_t left) {
  EngineChannel* c = w.c;
  const bool cycle = gCycleMode != 0 && c->loopEnd > c->loopStart;
  if (cycle && w.position == c->loopEnd) {
    w.position = c->loopStart;
    if (w.automation) w.cursor = c->automationLoopCursor ? c->automationLoopCursor : RecordAtPosition(w, c->loopStart);
  }
  if (c->regionEndSet && w.position == c->regionEndPosition) {
    w.position = 0;
    if (w.automation) w.cursor = RecordAtPosition(w, 0);
  }
  PlayDueRecords(w);
  int64_t segment = left, t = 0;
  if (cycle && c->loopEnd > w.position) segment = std::min(segment, c->loopEnd - w.position);
  if (w.automation && RecordTime(w, w.cursor, &t)) segment = std::min(segment, t - w.position);
  if (c->regionEndSet && c->regionEndPosition > w.position) segment = std::min(segment, c->regionEndPosition - w.position);
  return int32_t(std::max<int64_t>(segment, 0));
}

// A start-delay segment: the counter runs down while the position stands.
int32_t DelaySegment(EngineChannel* c, int32_t left) {
  int32_t segment = std::min(left, c->startDelay);
  c->startDelay -= segment;
  if (c->startDelay == 0 && c->startDelayRepeat) {
    c->startDelay = std::max(c->startDelayReload, 0);
    c->startDelayClock = double(gEngineSampleClock.load(std::memory_order_relaxed));
  }
  return segment;
}

bool TryAutomation(EngineChannel* c) {
  if (gAudioEnginePlayState == kPlayStateHeld) return false;
  uint32_t expected = 0;
  return c->automationLock.compare_exchange_strong(expected, 1, std::memory_order_acquire);
}

}  // namespace

int32_t WalkStreamSegments(EngineChannel* c, int32_t frames, SegmentWriter write, void* context) {
  Walk w{c, c->position, c->automationCursor, nullptr, TryAutomation(c)};
  if (w.automation && c->automation && *c->automation)
    w.listEnd = reinterpret_cast<uint8_t*>(*c->automation) + GetHandleSize(c->automation);
  int32_t done = 0;
  while (done < frames) {
    const bool delay = c->startDelay > 0;
    int32_t segment = delay ? DelaySegment(c, frames - done) : NextSegment(w, frames - done);
    if (segment <= 0) break;
    write(context, done, segment);
    if (!delay) w.position += segment;
    done += segment;
  }
  c->position = w.position;
  if (w.automation) {
    c->automationCursor = w.cursor;
    c->automationLock.store(0, std::memory_order_release);
  }
  return done;
}

int64_t AdvanceStreamPosition(EngineChannel* channel, uint8_t** cursor) {
  const int64_t before = channel->position;
  WalkStreamSegments(channel, std::max<int32_t>(channel->framesPerBlock, 0), [](void*, int32_t, int32_t) {}, nullptr);
  int64_t after = channel->position;
  channel->position = before;  // the caller stores it
  if (cursor) *cursor = channel->automationCursor;
  return after;
}

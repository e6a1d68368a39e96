#include "audio/engine/audio_edit_bracket.h"

#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_play_state.h"
#include "platform/system/host_time.h"
#include "platform/threads/thread_pauses.h"
#include "song/documents/playback_reset.h"

namespace {

constexpr uint8_t kRefillStateFirst = 9;
constexpr uint8_t kRefillStateDone = 11;
constexpr uint32_t kPollMicros = 10;

// Whether the bracket acts for this phase (and the nesting it leaves).
bool PhaseActs(EngineChannel* channel, int32_t phase) {
  switch (phase) {
    case kEditOpen: return ++channel->editNesting == 1;
    case kEditCloseAll: channel->editNesting = 1; [[fallthrough]];
    case kEditClose:
      // Only the close that ends the outermost bracket acts.
      if (channel->editNesting == 0) return false;
      return --channel->editNesting == 0;
    default: return false;
  }
}

bool EnginePlays(const EngineChannel* channel) { return gAudioEnginePlayState >= 2 && !channel->stopped; }

// Polls until done() or the bound passes; true when done() held.
template <typename Done>
bool WaitBounded(Done done) {
  UInt64 deadline = HostTimeNanos() + UInt64(kEditWaitMicros) * 1000;
  while (!done()) {
    if (HostTimeNanos() >= deadline) return false;
    PauseThreadMicros(kPollMicros);
  }
  return true;
}

// The disk's refill states are over, then the automation is not being read.
bool QuietenAutomation(EngineChannel* channel) {
  bool settled = true;
  if (channel->editState >= kRefillStateFirst) {
    settled = WaitBounded([channel] {
      uint8_t state = channel->editState;
      return state == kRefillStateDone || state < kRefillStateFirst || channel->stopped;
    });
  }
  uint32_t expected = 0;
  bool locked = WaitBounded([channel, &expected] {
    expected = 0;
    return channel->automationLock.compare_exchange_weak(expected, 1);
  });
  if (locked) channel->automationLock.store(0);
  channel->automationCursor = nullptr;
  return settled && locked;
}

}  // namespace

bool AudioEditBracket(EngineChannel* channel, int32_t command, int32_t phase) {
  if (channel == nullptr || !PhaseActs(channel, phase)) return false;
  // A channel that decodes through a converter cannot re-prime its halves in place: playback
  // starts over from the edited regions instead.
  if (command == kEditResume && EnginePlays(channel) && channel->soundConverter) {
    ResetPlaybackState(1);
    return true;
  }
  bool intime = true;
  if (EnginePlays(channel) && command != kEditResume) intime = QuietenAutomation(channel);
  channel->editState = uint8_t(command);
  return intime;
}

// What the conductor lock state asks of playback around a change of the conductor map: the
// transport's conductor-follow byte, the playing song's conductor cursor and change bits,
// and the engine channels' conductor records. The transport entries are installed by the
// sequencer (InstallConductorLockTransportHooks), the channel entry by the plug-in host
// (InstallConductorLockChannelHooks), both at start-up. An entry not installed does nothing
// and answers 0 (no section-mode song, no follow, no cursor, no options).
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

struct ConductorLockHooks {
  // The transport; main thread.
  Handle (*sectionModeSong)();
  uint8_t (*conductorFollow)();
  void (*setConductorFollow)(uint8_t follow);
  // The playing song's conductor cursor (record offset + 1, 0 none), cleared as it is taken.
  int32_t (*takeConductorCursor)();
  void (*setConductorResumeTick)(int32_t tick);
  void (*markPlayingSongChanged)(uint8_t bits);
  uint8_t (*transportOptions)();
  // The engine; main thread. Re-points every engine channel's conductor record while the
  // engine plays.
  void (*refreshChannelConductors)();
};
extern ConductorLockHooks gConductorLockHooks;

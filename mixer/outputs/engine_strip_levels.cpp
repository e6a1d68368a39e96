#include "mixer/outputs/engine_strip_levels.h"

#include "audio/engine/automation_records.h"
#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_run_state.h"
#include "audio/engine/instrument_binding.h"
#include "song/instruments/instrument_table.h"

namespace {

struct Levels {
  int32_t level = 32768;
  int32_t pan = 64;
};

void SetChannelLevels(EngineChannel* channel, void* arg) {
  const Levels* levels = static_cast<const Levels*>(arg);
  if (!TakeAutomationLock(channel)) return;
  channel->volume = levels->level;
  channel->pan = int16_t(levels->pan);
  SetChannelGains(ScaleByMasterLevel(levels->level), levels->pan, &channel->gainLeft, &channel->gainRight);
  ReleaseAutomationLock(channel);
}

int32_t WalkList(EngineChannel* list, int32_t index, StripChannelProc proc, void* arg) {
  int32_t n = 0;
  for (EngineChannel* c = list; c; c = c->next) {
    if (c->instrumentIndex != index) continue;
    ++n;
    if (proc) proc(c, arg);
  }
  return n;
}

}  // namespace

int32_t ForEachStripChannel(int32_t index, StripChannelProc proc, void* arg) {
  if (index < 0) return 0;
  return WalkList(gEngineChannels, index, proc, arg) + WalkList(gAuxBusChannels, index, proc, arg);
}

bool StripHasEngineChannel(int32_t index) { return ForEachStripChannel(index, nullptr, nullptr) > 0; }

void ApplyStripLevelsToEngine(int32_t index) {
  if (!StripHasEngineChannel(index)) return;
  int32_t kept = gCurrentInstrument;
  Levels levels;
  GetChannelInstrumentLevel(index, &levels.level, &levels.pan);
  gCurrentInstrument = kept;
  ForEachStripChannel(index, SetChannelLevels, &levels);
}

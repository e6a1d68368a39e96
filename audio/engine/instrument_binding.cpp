#include "audio/engine/instrument_binding.h"

#include "audio/engine/automation_records.h"
#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_plugin_hooks.h"
#include "audio/engine/engine_run_state.h"
#include "shell/base/audio_driver_lookup.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/instrument_volumes.h"
#include "song/instruments/output_kinds.h"
#include "song/instruments/plugin_hooks.h"

namespace {

constexpr int32_t kFullScore = 11;

struct InstrumentMatchQuery {
  uint8_t deviceKind = 0;
  uint8_t port = 0;
  uint16_t channelMask = 0;
  int32_t bit = 0;
  int32_t bestScore = 0;
  int32_t bestIndex = -1;
  bool requirePlugins = false;
};

uint16_t InstrumentChannelMask(const InstrumentView& v) { return uint16_t(1u << (v.Channel(0) & 15)); }

// The instrument's score for the query, or -1 when it cannot serve it.
int32_t ScoreInstrument(const InstrumentView& v, const InstrumentMatchQuery& q) {
  bool hasChain = RackHasInsertChain(v.InsertRack());
  if (q.requirePlugins && !hasChain) return -1;
  if ((q.requirePlugins || q.bit > 0) && !(v.Flags() & (1u << (q.bit & 7)))) return -1;
  if (!(v.PartMask() & 1)) return -1;
  uint8_t kind = v.DeviceKind(0), port = v.Port(0);
  uint8_t queryKind = q.deviceKind, queryPort = q.port;
  NormalizeKindPair(&kind, &port);
  NormalizeKindPair(&queryKind, &queryPort);
  int32_t score = 8;
  if (kind != queryKind) {
    if (queryKind == kDeviceKindNoOutput || HasAudioDriverEntry(kind) != HasAudioDriverEntry(queryKind)) return -1;
    score = 4;
  }
  if (port == queryPort) score += 2;
  if (InstrumentChannelMask(v) == q.channelMask) score += 1;
  return score;
}

}  // namespace

int32_t FindMatchingInstrumentEx(uint8_t deviceKind, uint8_t port, uint16_t channelMask, int32_t bit, bool exact,
                                 bool requirePlugins) {
  InstrumentMatchQuery q;
  q.deviceKind = deviceKind;
  q.port = port;
  q.channelMask = channelMask;
  q.bit = bit;
  q.requirePlugins = requirePlugins;
  for (int32_t i = 0; i < gInstrumentCount; ++i) {
    uint8_t* record = GetInstrumentRecord(i);
    if (!record) break;
    int32_t score = ScoreInstrument(InstrumentView(record), q);
    if (score > q.bestScore) {
      q.bestScore = score;
      q.bestIndex = i;
    }
  }
  if (exact && q.bestScore != kFullScore) return -1;
  return q.bestIndex;
}

int32_t FindMatchingInstrument(uint8_t deviceKind, uint8_t port, uint16_t channelMask, bool requirePlugins) {
  return FindMatchingInstrumentEx(deviceKind, port, channelMask, 0, false, requirePlugins);
}

int32_t FindInstrumentForPort(uint8_t deviceKind, uint8_t port, uint16_t channelMask, int32_t bit) {
  return FindMatchingInstrumentEx(deviceKind, port, channelMask, bit, false, true);
}

void GetChannelInstrumentLevel(int32_t instrument, int32_t* level, int32_t* pan) {
  uint8_t* record = instrument >= 0 ? GetInstrumentRecord(instrument) : nullptr;
  if (!record) {
    *level = 32768;
    *pan = 64;
    return;
  }
  gCurrentInstrument = instrument;
  InstrumentView v(record);
  *level = (v.Flags() & 0x01) ? int32_t(VolumeCurveValue(GetInstrumentVolume(record))) : 0;
  *pan = v.Pan();
}

EngineChannel* FindAuxBusChannel(int32_t bus) {
  EngineChannel* c = gAuxBusChannels;
  for (int32_t n = 1; c && n < bus; ++n) c = c->next;
  return bus >= 1 ? c : nullptr;
}

namespace {

// The instrument's send that targets `bus`, or -1.
int32_t SendForBus(const uint8_t* record, int32_t bus) {
  for (int32_t s = 0; s < kInstrumentSends; ++s)
    if (GetSendBus(record, s) == bus) return s;
  return -1;
}

void FillChannelSend(ChannelSend* send, const uint8_t* record, int32_t bus) {
  send->bus = uint8_t(bus);
  int32_t s = SendForBus(record, bus);
  InstrumentView v(const_cast<uint8_t*>(record));
  uint8_t flags = s >= 0 ? v.SendFlags(s) : 0;
  send->postFader = (flags & kSendPostFader) ? 1 : 0;
  send->pan = s >= 0 ? v.SendPan(s) : 64;
  send->level = s >= 0 && (flags & kSendOn) ? int32_t(VolumeCurveValue(v.SendLevel(s))) : 0;
  SetChannelGains(send->level, send->pan, &send->gainLeft, &send->gainRight);
}

bool InstrumentHasChain(const uint8_t* record) {
  return record && RackHasInsertChain(InstrumentView(const_cast<uint8_t*>(record)).InsertRack());
}

}  // namespace

void SetupChannelSends(EngineChannel* channel, int32_t instrument) {
  uint8_t* record = instrument >= 0 ? GetInstrumentRecord(instrument) : nullptr;
  if (!channel || !record || channel->noTrack) return;
  int32_t n = 0;
  bool anyLevel = false;
  for (int32_t bus = 1; bus <= kChannelSends; ++bus) {
    EngineChannel* target = FindAuxBusChannel(bus);
    if (!target || !target->mixBuffer[0]) continue;
    FillChannelSend(&channel->sendGains[n], record, bus);
    anyLevel = anyLevel || channel->sendGains[n].level != 0;
    ++n;
  }
  channel->sendGains[n] = ChannelSend{};
  channel->sendsOrChains = anyLevel || InstrumentHasChain(record) || InstrumentHasChain(GetMasterEntry());
}

void InitChannelLevels(EngineChannel* channel, int64_t position) {
  if (channel == nullptr) return;
  constexpr int32_t kKeepOutputPair = -2;
  SetChannelInstrument(channel->instrumentIndex, kKeepOutputPair, channel);
  if (!channel->automation) return;
  int32_t volume = channel->volume, pan = channel->pan;
  int32_t sendLevels[kAutomationSends], sendPans[kAutomationSends];
  ChaseAutomationState(channel->automation, uint64_t(position < 0 ? 0 : position), &volume, &pan, sendLevels,
                       sendPans, channel);
  channel->volume = volume;
  channel->pan = int16_t(pan);
  SetChannelGains(ScaleByMasterLevel(volume), pan, &channel->gainLeft, &channel->gainRight);
}

uint8_t* BindChannelInstrument(EngineChannel* channel, int32_t instrument) {
  channel->instrumentIndex = int16_t(instrument);
  uint8_t* record = instrument >= 0 && instrument < gInstrumentCount ? GetInstrumentRecord(instrument) : nullptr;
  channel->instrumentChannel = record ? GetRackEngineChannel(InstrumentView(record).InsertRack()) : nullptr;
  return record;
}

void SetChannelInstrument(int32_t instrument, int32_t outputPair, EngineChannel* channel) {
  if (channel == nullptr) return;
  uint8_t* record = BindChannelInstrument(channel, instrument);
  int32_t level = 32768, pan = 64;
  GetChannelInstrumentLevel(instrument, &level, &pan);
  channel->volume = level;
  channel->pan = int16_t(pan);
  SetChannelGains(ScaleByMasterLevel(level), pan, &channel->gainLeft, &channel->gainRight);
  if (outputPair == -1 && record) channel->outputPair = InstrumentView(record).Port(0);
  else if (outputPair >= 0) channel->outputPair = uint8_t(outputPair);
  SetupChannelSends(channel, instrument);
}

#include "audio/render/stream_automation.h"

#include <cstring>

#include "audio/engine/automation_records.h"
#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_plugin_hooks.h"

std::atomic<uint8_t> gAutomationReadSwitch{1};

namespace {

float RecordValue(const AutomationView& r) {
  uint32_t bits = r.Value32();
  float v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

// Kind 3: the plug-in at the record's chain position takes the value, with the channel as the
// render channel for the call.
void ApplyParameterRecord(EngineChannel* channel, const AutomationView& r) {
  void* plugin = FindChainPlugin(channel, r.PluginIndex());
  if (!plugin) return;
  SetPluginRenderChannel(channel);
  ApplyAutomationToPlugin(plugin, channel->renderState, r.Index(), RecordValue(r), false);
  SetPluginRenderChannel(nullptr);
}

void ApplySendRecordOnGroup(EngineChannel* channel, const uint8_t* record, uint8_t kind) {
  // The channel and its target channels, each once (a group never loops back, but a bad link
  // must not hang the engine thread).
  EngineChannel* c = channel;
  for (int32_t n = 0; c && n <= kMaxStreamChannels; ++n, c = c->targetChannel) ApplySendAutomation(c, record, kind);
}

}  // namespace

void GainsFromLevelAndPan(int32_t level, int32_t pan, int32_t* left, int32_t* right) {
  SetChannelGains(ScaleByMasterLevel(level), pan, left, right);
}

void ApplyAutomationEvent(EngineChannel* channel, const uint8_t* record) {
  if (!channel || !record || !(gAutomationReadSwitch.load(std::memory_order_relaxed) & 1)) return;
  AutomationView r{const_cast<uint8_t*>(record)};
  if (r.Flags() & kAutomationSkipped) return;
  switch (r.Kind()) {
    case kAutomationVolume:
      if (channel->channelFlags & kChannelLevelHeld) return;
      channel->volume = r.Value();
      // The new level takes effect at once, without a ramp from the previous gains.
      channel->previousGainLeft = channel->previousGainRight = -1;
      GainsFromLevelAndPan(channel->volume, channel->pan, &channel->gainLeft, &channel->gainRight);
      return;
    case kAutomationPan:
      channel->pan = r.Pan();
      GainsFromLevelAndPan(channel->volume, channel->pan, &channel->gainLeft, &channel->gainRight);
      return;
    case kAutomationParameter:
      ApplyParameterRecord(channel, r);
      return;
    case kAutomationSendLevel:
    case kAutomationSendPan:
      ApplySendRecordOnGroup(channel, record, r.Kind());
      return;
    default:
      return;
  }
}

void ApplySendAutomation(EngineChannel* channel, const uint8_t* record, uint8_t kind) {
  AutomationView r{const_cast<uint8_t*>(record)};
  int32_t index = r.Index();
  if (!channel || index < 0 || index >= kChannelSends) return;
  ChannelSend* send = channel->sendGains;
  for (int32_t i = 0; i < index; ++i, ++send)
    if (send->bus == 0) return;  // the list ends before the record's send
  if (send->bus == 0) return;
  if (kind == kAutomationSendLevel) send->level = r.Value();
  else send->pan = r.Pan();
  send->changed = 1;
  GainsFromLevelAndPan(send->level, send->pan, &send->gainLeft, &send->gainRight);
}

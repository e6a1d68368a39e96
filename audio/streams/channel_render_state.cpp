#include "audio/streams/channel_render_state.h"

#include "audio/engine/engine_channels.h"
#include "audio/render/channel_render.h"

int16_t PrepareChannelRenderState(Handle, EngineChannel*, int32_t, int32_t, int32_t, int32_t, bool) { return 0; }

int16_t PrepareChainRenderState(uint32_t, EngineChannel*, int32_t, int32_t, int32_t, int32_t, bool) { return 0; }

int16_t AllocatePluginMidiBuffers(EngineChannel*, ChannelRenderState*) { return 0; }

int16_t AllocateChainMidiSlots(EngineChannel*, ChannelRenderState*, uint32_t) { return 0; }

bool SendsStayOnOwnBus(const EngineChannel*, int32_t) { return true; }

void FreeRenderStateBuffers(void*, ChannelRenderState*) {}

void DisposeChannelRenderState(EngineChannel*) {}

void ClearChannelReferences(EngineChannel* channel, const EngineChannel* target) {
  for (EngineChannel*& ref : channel->inputSource) {
    if (ref == target) ref = nullptr;
  }
}

int32_t ChannelMixKind(const MixKindQuery&, int32_t* perChannel) {
  if (perChannel) *perChannel = 0;
  return 0;
}

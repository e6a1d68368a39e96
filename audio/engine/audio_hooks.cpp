#include "audio/engine/audio_hooks.h"

#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_file_requests.h"
#include "audio/engine/engine_play_state.h"
#include "audio/engine/engine_prepare.h"
#include "audio/engine/engine_track_commands.h"
#include "audio/engine/engine_transport.h"
#include "song/conductor/conductor_refresh_hooks.h"
#include "song/documents/playback_reset.h"
#include "song/model/audio_engine_hooks.h"

namespace {

uint16_t EnginePlayState() { return gAudioEnginePlayState; }
uint16_t ChannelInstrument(const EngineChannel* channel) { return channel->instrument; }
void SetChannelInstrument(EngineChannel* channel, uint16_t instrument) { channel->instrument = instrument; }
bool IsChannelStopped(const EngineChannel* channel) { return channel->stop != 0; }

// After the song's times changed: with full, a song with audio starts its playback over.
void PrepareAfterRetime(int32_t full) {
  if (full && IsAudioEngineNeeded()) ResetPlaybackState(0);
}

}  // namespace

void InstallAudioHooks() {
  SongAudioEngineHooks& hooks = gSongAudioEngineHooks;
  hooks.waitForTrack = WaitWhileEngineBusy;
  hooks.sendTrackCommand = PostEngineTrackCommand;
  hooks.stopEngine = StopAudioEngine;
  hooks.playState = EnginePlayState;
  hooks.callIdleHook = CallIdleHook;
  hooks.channelInstrument = ChannelInstrument;
  hooks.setChannelInstrument = SetChannelInstrument;
  hooks.isChannelStopped = IsChannelStopped;
  gConductorRefreshHooks.prepareEnginePlayback = PrepareAfterRetime;
  InstallTransportAudioHooks();
  InstallEngineRequestHandlers();
}

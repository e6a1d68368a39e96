// Fills the hook tables through which the lower layers reach the audio engine.
#pragma once

// The song model's audio engine hooks (song/model/audio_engine_hooks.h) and the transport's
// audio hooks (sequencer/transport/transport_audio_hooks.h).
void InstallAudioHooks();

// What a track's output makes of it: an audio track, an instrument track, a frozen track, and
// whether its audio plays. Each answer is about the current track (gCurrentTrack).
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// The output device kind of the track: that of the first part of its instrument when it plays
// through the instrument table, else its own output kind byte (+58).
uint8_t GetTrackOutputDeviceKind();
// The track shows its alternate (frozen) region list.
bool IsTrackFrozen();
// Output kind 3; or a frozen audio track on a plug-in instrument (device kind 20); or an audio
// record that counts as a plug-in device (bit 3 of its flag byte).
bool IsInstrumentTrack();
// The track's instrument renders audio: it plays a plug-in instrument (device kinds 20, 21).
bool DoesTrackInstrumentRenderAudio();
// Output kind 1, or an instrument track whose instrument renders audio.
bool DoesTrackPlayAudio();
// The track's audio record (+232), 0 when it has none.
Handle GetTrackAudioRecord();
// The audio record names a plug-in chain or a region list.
bool TrackAudioHasPluginsOrRegions();

// The track switches of the pane headers and track list: solo, mute, record arm, the play
// switch and the song's record track. The procedures act on the current track (the "selected"
// ones: on every selected track when the current track is among them, else on it alone).
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// Makes track number n the song's record track (-1 none): the record inputs are set up again
// for the armed tracks and armed while any armed track records audio; with none armed and
// flag set the inputs are disarmed (an input-only device stops). The first error, else 0.
OSErr SetRecordTrack(int8_t n, bool flag = true);
// The same, showing a non-zero error.
OSErr SetRecordTrackReporting(int8_t n, bool flag);
// Recomputes every track's audible bit (and the new-track template's) from solo and mute.
void RecheckTrackModes();
// Redraws the switch columns of the track window and the pane headers.
void RedrawTrackColumns();

// Solo of the current track. Exclusive on a soloed track clears every solo; exclusive on one
// that is not soloed adds it to the soloed tracks.
void ToggleTrackSolo(bool exclusive);
void ToggleTrackMute();
void SoloSelectedTracks(bool exclusive);
// Toggles the mute of the selected tracks; exclusive: every track of the song takes the
// current track's new mute. While tracks are soloed it changes their solo instead
// (SoloSelectedTracks with exclusive).
void MuteOrSoloSelectedTracks(bool exclusive);
// Arms or disarms the current track for recording; arming without keepOthers disarms every
// other track. Nothing while the transport plays or records, or while the song is locked.
void ToggleRecordArm(bool keepOthers);
// Toggles the play switch (flag bit 0x40) of the current track; while playing the track finds
// its play position again.
void ToggleTrackPlaySwitch();
void PlaySwitchSelectedTracks();

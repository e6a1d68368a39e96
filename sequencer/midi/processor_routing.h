// Binding the real-time processors to the tracks they serve: a processor echoes live input
// (MIDI thru) to one track's output, taken from the track's instrument when the track plays
// through the instrument table, else from the track's own output. The binding is made again
// whenever the instrument table, the current song or a track's routing changes.
#pragma once

#include <cstdint>

// Bit 0 of a processor's settings byte (the flags word's high byte): switched off.
constexpr uint16_t kProcessorSwitchedOff = 0x0100;

// Calls callback(block, track) for each track the processors may serve: the current song's
// tracks armed for recording, in song order, or the current track when none is armed.
void ForEachPlayingTrack(void (*callback)(void* block, uint8_t* track), void* block);
// With real-time processing switched on (bit 0 of gRealtimeProcessorSettings): unbinds every
// processor, then binds them in chain order to the playing tracks; when none was bound, every
// processor is reset (no thru). Main thread; the instrument table reaches it as ResetNodeList.
void BindProcessorsToTracks();
// Binds processor number *counter (chain order) to the track and advances *counter when the
// processor took it. Nothing when there is no such processor.
void AssignNodeToTrack(int32_t* counter, const uint8_t* track);

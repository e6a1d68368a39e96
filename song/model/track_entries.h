// Tracks inside the current song: adding, initialising, resizing, removing and freeing
// TrackEntry records.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

OSErr AddTrackEntry(int32_t size);
// AddTrackEntry, storing its result in gIterationAbort; true on success.
bool AddTrackEntryChecked(int32_t size);
// The index of the song's entry with track number `number`; false when none has it.
bool FindTrackWithNumber(int32_t number, int32_t* index);
bool FindTrackWithCurrentNumber(int32_t* index);
OSErr AddOrResizeTrackForNumber(int32_t size);
OSErr SelectOrAddTrackForNumber();
bool EnsureCurrentTrack();
void InitTrackEntry(int32_t size, int32_t flag, int32_t number);
// Iterator callback: initialises the current entry as a new track (arg: instrument flag).
int32_t InitNewTrack(void* arg);
OSErr ResizeCurrentTrackEntry(int32_t newLength);
uint8_t SetChildCount(int32_t n);
void RemoveCurrentTrack();
// Iterator callback: disposes the current track's children and handles.
int32_t DisposeTrackContents(void* arg);
void FreeTrackHandles();
void ClearTrackHandles(uint8_t* entry);
void ClearTrackChildren(uint8_t* entry);
void SetTrackName(ConstStr255Param name);
void SetTrackNameIfAllowed(ConstStr255Param name);
// The number of soloed tracks is kept in header byte 7; the audible flag follows solo/mute.
void UpdateTrackMuteFlag();

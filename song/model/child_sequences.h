// Child sequences: song blocks that hang off a track's child table.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

extern int32_t gChildParentTrackNumber;  // track number of the parent of the child chosen last
extern int32_t gChildCellOffset;         // offset in gChildCellSong of that child's cell, -1 none
extern Handle gChildCellSong;            // the song block that holds the cell
extern uint8_t gMissingLinkedSong;       // a link child whose song is not open was selected

uint8_t* GetChildTable();
int32_t GetChildCount();
// Records gCurrentChildIndex, the parent's number and the cell; returns the cell's handle.
Handle GetChildSequence(int32_t n);
// Makes child n the current song (following a link when link following is on).
bool SelectChildSequence(int32_t n);
bool IsChildSequenceSelected();
// Iterator callback: disposes the child chosen by the running child iteration.
int32_t DisposeChildSequence(void* arg);
// The address of the cell chosen last, re-resolved (null when it is gone).
uint8_t* GetChosenChildCell();

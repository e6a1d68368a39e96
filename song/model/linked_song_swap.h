// After an undo exchange, the child sequences of the tracks then kept by the record trade
// places with the open songs that carry their ids.
#pragma once

#include <cstdint>

struct UndoRecord;

// Child-walk callback: when an open song carries the visited child's id, the child takes
// that song's slot in the song table (its racks made live, its link flag set) and the song
// takes the child's cell (its racks made shared, its link flag cleared). A link child is
// left in place: its id names the song it stands for, and it holds no contents of its own.
int32_t SwapChildWithLinkedSong(void* arg);
// The same over every child sequence of the current track.
int32_t SwapTrackChildrenWithLinkedSongs(void* arg);
// The same over every track of the record's spare song.
void SwapUndoChildrenWithLinkedSongs(UndoRecord* record);

// Strip values written into the song: the moves recorded while the instrument window records
// them, and the volume and pan written at a tick from the window's contextual menu. A strip
// that plays through a plug-in keeps them as automation points of its rack (kind 1 the
// volume's gain, 2 the pan, 4 and 5 the level and pan of a shown send); other strips as
// controller events (or their filled template as a system-exclusive event) in a track.
//
// Main thread.
#pragma once

#include <cstdint>

// True while moves are recorded: the window's record option is on, the transport runs and
// note polling is not suspended.
bool AreValueMovesRecorded();
// Records one value of a strip at the song position: into its rack's automation for a strip
// that plays through a plug-in, else into each record-armed track of the current song (the
// song's record track when none is armed).
int16_t RecordValueMove(uint8_t* record, uint8_t templateBit, int32_t templateField, int32_t controllerField,
                        int32_t value);
// Inserts an automation point of the value into the strip's rack at tick: a volume or send
// level as its curve gain, a pan as it stands; the rack's list is made on first use.
int16_t AddStripValuePoint(uint8_t* record, int32_t controllerField, int32_t value, uint32_t tick);

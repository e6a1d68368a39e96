// Moving a plug-in inside its rack by drag and drop: the drag carries the 'DPlU' flavour (20
// bytes of in-process references, meaningful only inside the running program), and a drop on
// another row of the mixer moves the plug-in there as one undoable step.
#pragma once

#include <cstdint>

#include "platform/drag/drag_manager.h"
#include "platform/memory/mac_types.h"

constexpr uint32_t kPluginDragFlavor = 0x44506C55;  // 'DPlU'
constexpr int32_t kPluginDragFlavorBytes = 20;
constexpr OSErr kDropNotAcceptedErr = -1857;

// The flavour: +0 rack handle, +4 row of the dragged plug-in, +8 rows of the rack, +12 the
// chain head at the start, +16 the process id (a flavour of another run is refused).
void FillPluginDragFlavor(uint8_t flavor[kPluginDragFlavorBytes], Handle rack, int32_t row,
                          int32_t rows);
// Accepts a dropped flavour for `rack`: its source row, or -1 when it is not exactly 20
// bytes, of another process or of another rack.
int32_t ReadPluginDragFlavor(const uint8_t* flavor, int32_t length, Handle rack);

// Moves the plug-in at row `from` of the rack to row `to` as one undoable step: the playback
// state is reset, the rack's automation points of kind 3 follow their plug-ins, the rack's
// bus bytes are kept and the song is marked modified. A drop on its own row answers
// kDropNotAcceptedErr and changes nothing.
OSErr MoveRackPlugin(Handle rack, int32_t from, int32_t to);

// Cuts the automation points (kind 3) of the plug-in at `row` from the rack's list, over the
// whole time range, as one undoable step; the track windows are redrawn and the song marked
// modified. paramErr for a row outside the chain.
OSErr ClearRackPluginAutomation(Handle rack, int32_t row);

// Drags row `row` of the rack (its outline `rowBounds`, global coordinates) with the 'DPlU'
// flavour from the mouse-down `event`; the drop is handed to the receive handler of the window
// under the release. Answers TrackDrag's result.
OSErr StartRackPluginDrag(Handle rack, int32_t row, int32_t rows, Rect rowBounds,
                          const EventRecord* event);
// The mixer's receive handler calls this with the rack it shows and the row under the drop
// point: a drag that carries no 'DPlU' flavour of exactly 20 bytes for that rack is not
// accepted (kDropNotAcceptedErr); otherwise MoveRackPlugin.
OSErr ReceiveRackPluginDrop(DragRef drag, Handle rack, int32_t targetRow);

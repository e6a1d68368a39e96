// What a lane shows: the controller, plug-in parameter or aux bus of the lanes that take one,
// their names and the pop-up that chooses them.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// Stores n as gLaneController and in the current pane's lane field.
void SelectLaneController(int32_t n);
// The 128-bit set (bit n of byte n / 8) of the controllers the current track's events use.
void GetUsedControllers(uint8_t mask[16]);
// A click on the lane title in the info strip: the pop-up of the lane's choices.
void HandleLaneTitleClick(Point where);
// The pop-up of controllers, parameters or buses for the lane kind at where; the chosen
// entry, or a value below -4 when nothing was chosen.
int32_t RunDataKindPopup(int32_t current, int32_t kind, bool listAll, Point where);

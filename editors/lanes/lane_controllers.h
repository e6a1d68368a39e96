// What a lane shows: the controller, plug-in parameter or aux bus of the lanes that take one,
// their names and the pop-up that chooses them.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// The controller-name list in use and the default list (string-list layout: an i16 count,
// then one length-prefixed name per controller from 0; null: no names), and the 128-bit mask
// of the controllers the pop-up lists first.
extern Handle gControllerNameList;
extern Handle gDefaultControllerNameList;
extern uint8_t gFavouriteControllers[16];

// Stores n as gLaneController and in the current pane's lane field; a new controller takes
// the name list in use afresh.
void SelectLaneController(int32_t n);
// Stores n in the current track's lane-controller field (nothing without a real track).
void StoreTrackLaneController(int32_t n);
// Controller n's name in the shared 32-byte buffer; a controller without one gets the
// unnamed text and its number.
StringPtr GetControllerName(int32_t n);
// A parameter lane entry's name: the focused plug-in's parameter (index >= 0) or a special
// entry (-4..-1); an empty name becomes the unnamed text and the number.
StringPtr GetLaneParameterName(int32_t index);
// The 128-bit set (bit n of byte n / 8) of the controllers the current track's events use.
void GetUsedControllers(uint8_t mask[16]);
// A click on the lane title in the info strip: the pop-up of the lane's choices.
void HandleLaneTitleClick(Point where);
// The pop-up of controllers, parameters or buses for the lane kind at where; the chosen
// entry, or a value below -4 when nothing was chosen.
int32_t RunDataKindPopup(int32_t current, int32_t kind, bool listAll, Point where);

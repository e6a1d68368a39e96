// Opaque references to the toolbox objects that events name: windows, controls and menus.
//
// The event layer only carries these as pointers (in event parameters, HICommands and
// handler targets); the Window, Control and Menu Managers define the structs. They must use
// exactly these names so that their headers and this one agree.
#pragma once

#include "platform/memory/mac_types.h"

struct OpaqueWindowPtr;
using WindowRef = OpaqueWindowPtr*;
using WindowPtr = WindowRef;

struct OpaqueControlRef;
using ControlRef = OpaqueControlRef*;
using ControlHandle = ControlRef;

struct OpaqueMenuRef;
using MenuRef = OpaqueMenuRef*;
using MenuHandle = MenuRef;
using MenuID = int16_t;
using MenuItemIndex = uint16_t;

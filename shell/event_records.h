// The classic event record that every converted event is copied into before it is
// dispatched, and the last mouse point in local coordinates.
#pragma once

#include "platform/memory/mac_types.h"

// Event modifier bits of EventRecord::modifiers.
enum : uint16_t {
  activeFlag = 0x0001,
  btnState = 0x0080,
  cmdKey = 0x0100,
  shiftKey = 0x0200,
  alphaLock = 0x0400,
  optionKey = 0x0800,
  controlKey = 0x1000,
};

// 16 bytes as the event handlers fill it; never stored, so a plain struct.
struct EventRecord {
  uint16_t what = 0;
  uint32_t message = 0;
  uint32_t when = 0;
  Point where;
  uint16_t modifiers = 0;
};

// The event being handled.
extern EventRecord gLastEvent;
// The mouse position of the last event or mouse poll, local to the current port.
extern Point gLastMousePoint;

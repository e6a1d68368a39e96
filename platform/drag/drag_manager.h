// The Drag Manager on the screen's own drag: a drag holds items, each with flavours of data
// and bounds; TrackDrag follows the mouse over the program's windows, telling their tracking
// handlers as the pointer enters, moves in and leaves them, and hands the drop to the receive
// handler of the window under the release. The desktop is not reached: a release outside
// every window is not accepted (dragNotAcceptedErr). Main thread only.
#pragma once

#include "platform/events/classic_events.h"
#include "platform/quickdraw/quickdraw_types.h"
#include "platform/windows/windows.h"

struct OpaqueDragRef;
using DragRef = OpaqueDragRef*;
using DragItemRef = UInt32;
using FlavorType = OSType;
using FlavorFlags = UInt32;
using DragAttributes = UInt32;
using DragTrackingMessage = SInt16;

enum : DragTrackingMessage {
  kDragTrackingEnterHandler = 1,
  kDragTrackingEnterWindow = 2,
  kDragTrackingInWindow = 3,
  kDragTrackingLeaveWindow = 4,
  kDragTrackingLeaveHandler = 5,
};
enum : DragAttributes {
  kDragHasLeftSenderWindow = 1u << 0,
  kDragInsideSenderApplication = 1u << 1,
  kDragInsideSenderWindow = 1u << 2,
};
enum : OSErr {
  badDragRefErr = -1850,
  badDragItemErr = -1851,
  badDragFlavorErr = -1852,
  duplicateFlavorErr = -1853,
  cantGetFlavorErr = -1854,
  duplicateHandlerErr = -1855,
  handlerNotFoundErr = -1856,
  dragNotAcceptedErr = -1857,
};
// Bounds on what one drag holds.
constexpr UInt16 kMaxDragItems = 256;
constexpr UInt16 kMaxDragFlavors = 32;
constexpr Size kMaxFlavorBytes = 1 << 20;

using DragTrackingHandlerUPP = OSErr (*)(DragTrackingMessage message, WindowRef window, void* refCon, DragRef drag);
using DragReceiveHandlerUPP = OSErr (*)(WindowRef window, void* refCon, DragRef drag);

OSErr NewDrag(DragRef* drag);
OSErr DisposeDrag(DragRef drag);
// The item is made by its first flavour. data may be null for an empty flavour.
OSErr AddDragItemFlavor(DragRef drag, DragItemRef item, FlavorType type, const void* data, Size size, FlavorFlags flags);
OSErr SetDragItemBounds(DragRef drag, DragItemRef item, const Rect* bounds);
OSErr GetDragItemBounds(DragRef drag, DragItemRef item, Rect* bounds);
OSErr CountDragItems(DragRef drag, UInt16* count);
// index from 1.
OSErr GetDragItemReferenceNumber(DragRef drag, UInt16 index, DragItemRef* item);
OSErr CountDragItemFlavors(DragRef drag, DragItemRef item, UInt16* count);
OSErr GetFlavorType(DragRef drag, DragItemRef item, UInt16 index, FlavorType* type);
OSErr GetFlavorDataSize(DragRef drag, DragItemRef item, FlavorType type, Size* size);
// Up to *size bytes from offset; *size becomes the number copied.
OSErr GetFlavorData(DragRef drag, DragItemRef item, FlavorType type, void* data, Size* size, UInt32 offset);
// Global points: where the mouse is, and where the drag shows it (a tracking handler may move
// the latter with SetDragMouse).
OSErr GetDragMouse(DragRef drag, Point* mouse, Point* globalPinnedMouse);
OSErr SetDragMouse(DragRef drag, Point globalPinnedMouse);
OSErr GetDragOrigMouse(DragRef drag, Point* mouse, Point* globalPinnedMouse);
OSErr GetDragModifiers(DragRef drag, SInt16* modifiers, SInt16* mouseDownModifiers, SInt16* mouseUpModifiers);
OSErr GetDragAttributes(DragRef drag, DragAttributes* flags);
// The window's drag hilite (a frame of the region, or hidden): kept as state only.
OSErr ShowDragHilite(DragRef drag, RgnHandle hiliteFrame, Boolean inside);
OSErr HideDragHilite(DragRef drag);
Boolean IsDragHiliteShown(DragRef drag);

// window null: every window. One handler may serve several windows; the same pair twice is
// duplicateHandlerErr.
OSErr InstallTrackingHandler(DragTrackingHandlerUPP handler, WindowRef window, void* refCon);
OSErr InstallReceiveHandler(DragReceiveHandlerUPP handler, WindowRef window, void* refCon);
OSErr RemoveTrackingHandler(DragTrackingHandlerUPP handler, WindowRef window);
OSErr RemoveReceiveHandler(DragReceiveHandlerUPP handler, WindowRef window);

// Follows the mouse from the event's point until the button is released: the receive
// handler's answer, dragNotAcceptedErr where no window takes the drop, userCanceledErr on
// Escape. The region (global) is the drag's outline.
OSErr TrackDrag(DragRef drag, const EventRecord* event, RgnHandle dragRegion);

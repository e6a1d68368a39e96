#include "platform/drag/drag_manager.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/events/key_codes.h"
#include "platform/quickdraw/screen.h"
#include "platform/windows/mouse_tracking.h"

struct OpaqueDragRef {
  struct Flavor {
    FlavorType type;
    FlavorFlags flags;
    std::vector<UInt8> data;
  };
  struct Item {
    DragItemRef ref;
    Rect bounds{};
    std::vector<Flavor> flavors;
  };
  std::vector<Item> items;
  Point origMouse{}, mouse{}, pinned{};
  SInt16 downModifiers = 0, modifiers = 0, upModifiers = 0;
  DragAttributes attributes = 0;
  WindowRef sender = nullptr;
  bool hilite = false;
};

namespace {

template <typename Proc>
struct Handler {
  Proc proc;
  WindowRef window;
  void* refCon;
};
std::vector<Handler<DragTrackingHandlerUPP>> gTrackingHandlers;
std::vector<Handler<DragReceiveHandlerUPP>> gReceiveHandlers;
std::vector<DragRef> gLiveDrags;

bool IsLive(DragRef drag) { return drag && std::find(gLiveDrags.begin(), gLiveDrags.end(), drag) != gLiveDrags.end(); }

OpaqueDragRef::Item* FindItem(DragRef drag, DragItemRef ref) {
  for (auto& item : drag->items)
    if (item.ref == ref) return &item;
  return nullptr;
}

OpaqueDragRef::Flavor* FindFlavor(OpaqueDragRef::Item* item, FlavorType type) {
  for (auto& flavor : item->flavors)
    if (flavor.type == type) return &flavor;
  return nullptr;
}

template <typename Proc>
OSErr Install(std::vector<Handler<Proc>>& list, Proc proc, WindowRef window, void* refCon) {
  if (!proc) return paramErr;
  for (const auto& h : list)
    if (h.proc == proc && h.window == window) return duplicateHandlerErr;
  list.push_back({proc, window, refCon});
  return noErr;
}

template <typename Proc>
OSErr Remove(std::vector<Handler<Proc>>& list, Proc proc, WindowRef window) {
  for (auto it = list.begin(); it != list.end(); ++it)
    if (it->proc == proc && it->window == window) {
      list.erase(it);
      return noErr;
    }
  return handlerNotFoundErr;
}

// The tracking handlers of window (and those of every window), on a copy: a handler may
// install or remove handlers.
void SendTracking(DragTrackingMessage message, WindowRef window, DragRef drag) {
  if (!window) return;
  auto handlers = gTrackingHandlers;
  for (const auto& h : handlers)
    if (!h.window || h.window == window) h.proc(message, window, h.refCon, drag);
}

OSErr Receive(WindowRef window, DragRef drag) {
  if (!window) return dragNotAcceptedErr;
  auto handlers = gReceiveHandlers;
  for (const auto& h : handlers)
    if (!h.window || h.window == window) return h.proc(window, h.refCon, drag);
  return dragNotAcceptedErr;
}

WindowRef WindowUnder(Point global) {
  WindowRef window = nullptr;
  WindowPartCode part = FindWindow(global, &window);
  return part == inContent || part == inGrow ? window : nullptr;
}

void MoveOver(DragRef drag, WindowRef* current, WindowRef under) {
  if (under != *current) {
    SendTracking(kDragTrackingLeaveWindow, *current, drag);
    if (*current == drag->sender) drag->attributes |= kDragHasLeftSenderWindow;
    *current = under;
    SendTracking(kDragTrackingEnterWindow, under, drag);
  }
  if (under == drag->sender)
    drag->attributes |= kDragInsideSenderWindow;
  else
    drag->attributes &= ~DragAttributes(kDragInsideSenderWindow);
  SendTracking(kDragTrackingInWindow, under, drag);
}

}  // namespace

OSErr NewDrag(DragRef* drag) {
  if (!drag) return paramErr;
  *drag = new OpaqueDragRef;
  gLiveDrags.push_back(*drag);
  return noErr;
}

OSErr DisposeDrag(DragRef drag) {
  if (!IsLive(drag)) return badDragRefErr;
  gLiveDrags.erase(std::find(gLiveDrags.begin(), gLiveDrags.end(), drag));
  delete drag;
  return noErr;
}

OSErr AddDragItemFlavor(DragRef drag, DragItemRef item, FlavorType type, const void* data, Size size,
                        FlavorFlags flags) {
  if (!IsLive(drag)) return badDragRefErr;
  if (size < 0 || size > kMaxFlavorBytes || (size > 0 && !data)) return paramErr;
  OpaqueDragRef::Item* entry = FindItem(drag, item);
  if (!entry) {
    if (drag->items.size() >= kMaxDragItems) return memFullErr;
    drag->items.push_back({item, Rect{}, {}});
    entry = &drag->items.back();
  }
  if (FindFlavor(entry, type)) return duplicateFlavorErr;
  if (entry->flavors.size() >= kMaxDragFlavors) return memFullErr;
  const UInt8* bytes = static_cast<const UInt8*>(data);
  entry->flavors.push_back({type, flags, std::vector<UInt8>(bytes, bytes + (data ? size : 0))});
  return noErr;
}

OSErr SetDragItemBounds(DragRef drag, DragItemRef item, const Rect* bounds) {
  if (!IsLive(drag)) return badDragRefErr;
  OpaqueDragRef::Item* entry = FindItem(drag, item);
  if (!entry) return badDragItemErr;
  if (!bounds) return paramErr;
  entry->bounds = *bounds;
  return noErr;
}

OSErr GetDragItemBounds(DragRef drag, DragItemRef item, Rect* bounds) {
  if (!IsLive(drag)) return badDragRefErr;
  OpaqueDragRef::Item* entry = FindItem(drag, item);
  if (!entry) return badDragItemErr;
  if (bounds) *bounds = entry->bounds;
  return noErr;
}

OSErr CountDragItems(DragRef drag, UInt16* count) {
  if (!IsLive(drag)) return badDragRefErr;
  if (count) *count = UInt16(drag->items.size());
  return noErr;
}

OSErr GetDragItemReferenceNumber(DragRef drag, UInt16 index, DragItemRef* item) {
  if (!IsLive(drag)) return badDragRefErr;
  if (index < 1 || index > drag->items.size()) return badDragItemErr;
  if (item) *item = drag->items[index - 1].ref;
  return noErr;
}

OSErr CountDragItemFlavors(DragRef drag, DragItemRef item, UInt16* count) {
  if (!IsLive(drag)) return badDragRefErr;
  OpaqueDragRef::Item* entry = FindItem(drag, item);
  if (!entry) return badDragItemErr;
  if (count) *count = UInt16(entry->flavors.size());
  return noErr;
}

OSErr GetFlavorType(DragRef drag, DragItemRef item, UInt16 index, FlavorType* type) {
  if (!IsLive(drag)) return badDragRefErr;
  OpaqueDragRef::Item* entry = FindItem(drag, item);
  if (!entry) return badDragItemErr;
  if (index < 1 || index > entry->flavors.size()) return badDragFlavorErr;
  if (type) *type = entry->flavors[index - 1].type;
  return noErr;
}

OSErr GetFlavorDataSize(DragRef drag, DragItemRef item, FlavorType type, Size* size) {
  if (!IsLive(drag)) return badDragRefErr;
  OpaqueDragRef::Item* entry = FindItem(drag, item);
  if (!entry) return badDragItemErr;
  OpaqueDragRef::Flavor* flavor = FindFlavor(entry, type);
  if (!flavor) return badDragFlavorErr;
  if (size) *size = Size(flavor->data.size());
  return noErr;
}

OSErr GetFlavorData(DragRef drag, DragItemRef item, FlavorType type, void* data, Size* size, UInt32 offset) {
  if (!IsLive(drag)) return badDragRefErr;
  OpaqueDragRef::Item* entry = FindItem(drag, item);
  if (!entry) return badDragItemErr;
  OpaqueDragRef::Flavor* flavor = FindFlavor(entry, type);
  if (!flavor) return badDragFlavorErr;
  if (!size || *size < 0 || (*size > 0 && !data)) return paramErr;
  if (offset > flavor->data.size()) return cantGetFlavorErr;
  Size n = std::min<Size>(*size, Size(flavor->data.size() - offset));
  if (n > 0) std::memcpy(data, flavor->data.data() + offset, size_t(n));
  *size = n;
  return noErr;
}

OSErr GetDragMouse(DragRef drag, Point* mouse, Point* globalPinnedMouse) {
  if (!IsLive(drag)) return badDragRefErr;
  if (mouse) *mouse = drag->mouse;
  if (globalPinnedMouse) *globalPinnedMouse = drag->pinned;
  return noErr;
}

OSErr SetDragMouse(DragRef drag, Point globalPinnedMouse) {
  if (!IsLive(drag)) return badDragRefErr;
  drag->pinned = globalPinnedMouse;
  return noErr;
}

OSErr GetDragOrigMouse(DragRef drag, Point* mouse, Point* globalPinnedMouse) {
  if (!IsLive(drag)) return badDragRefErr;
  if (mouse) *mouse = drag->origMouse;
  if (globalPinnedMouse) *globalPinnedMouse = drag->origMouse;
  return noErr;
}

OSErr GetDragModifiers(DragRef drag, SInt16* modifiers, SInt16* mouseDownModifiers, SInt16* mouseUpModifiers) {
  if (!IsLive(drag)) return badDragRefErr;
  if (modifiers) *modifiers = drag->modifiers;
  if (mouseDownModifiers) *mouseDownModifiers = drag->downModifiers;
  if (mouseUpModifiers) *mouseUpModifiers = drag->upModifiers;
  return noErr;
}

OSErr GetDragAttributes(DragRef drag, DragAttributes* flags) {
  if (!IsLive(drag)) return badDragRefErr;
  if (flags) *flags = drag->attributes;
  return noErr;
}

OSErr ShowDragHilite(DragRef drag, RgnHandle, Boolean) {
  if (!IsLive(drag)) return badDragRefErr;
  drag->hilite = true;
  return noErr;
}

OSErr HideDragHilite(DragRef drag) {
  if (!IsLive(drag)) return badDragRefErr;
  drag->hilite = false;
  return noErr;
}

Boolean IsDragHiliteShown(DragRef drag) { return IsLive(drag) && drag->hilite; }

OSErr InstallTrackingHandler(DragTrackingHandlerUPP handler, WindowRef window, void* refCon) {
  return Install(gTrackingHandlers, handler, window, refCon);
}

OSErr InstallReceiveHandler(DragReceiveHandlerUPP handler, WindowRef window, void* refCon) {
  return Install(gReceiveHandlers, handler, window, refCon);
}

OSErr RemoveTrackingHandler(DragTrackingHandlerUPP handler, WindowRef window) {
  return Remove(gTrackingHandlers, handler, window);
}

OSErr RemoveReceiveHandler(DragReceiveHandlerUPP handler, WindowRef window) {
  return Remove(gReceiveHandlers, handler, window);
}

OSErr TrackDrag(DragRef drag, const EventRecord* event, RgnHandle) {
  if (!IsLive(drag)) return badDragRefErr;
  if (!event) return paramErr;
  drag->origMouse = drag->mouse = drag->pinned = event->where;
  drag->downModifiers = drag->modifiers = SInt16(event->modifiers);
  drag->sender = WindowUnder(event->where);
  drag->attributes = kDragInsideSenderApplication;
  WindowRef current = nullptr;
  for (;;) {
    Point where;
    UInt32 modifiers = 0;
    MouseTrackingResult result = kMouseTrackingMouseUp;
    TrackMouseLocationWithOptions(GetScreenPort(), 0, kEventDurationForever, &where, &modifiers, &result);
    if (result == kMouseTrackingUserCancelled) {
      SendTracking(kDragTrackingLeaveWindow, current, drag);
      return userCanceledErr;
    }
    drag->mouse = drag->pinned = where;
    drag->modifiers = SInt16(modifiers);
    MoveOver(drag, &current, WindowUnder(where));
    if (result == kMouseTrackingMouseUp) {
      drag->upModifiers = SInt16(modifiers);
      SendTracking(kDragTrackingLeaveWindow, current, drag);
      return Receive(current, drag);
    }
  }
}

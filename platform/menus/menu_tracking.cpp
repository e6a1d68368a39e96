// Following the mouse through open menus: the menu bar (MenuSelect), pop-up and contextual
// menus, and the 'menu' Carbon events they send.
#include <algorithm>
#include <cstdlib>

#include "platform/menus/menus_internal.h"
#include "platform/quickdraw/geometry.h"
#include "platform/quickdraw/screen.h"
#include "platform/windows/mouse_tracking.h"
#include "platform/windows/windows.h"

using namespace menus_internal;

namespace {

// A release this soon after the press, on the title or item it started on, leaves the menu
// open until the next click.
constexpr EventTime kStickyClickSeconds = 0.5;
constexpr int kMaxOpenMenus = 8;

struct OpenMenu {
  MenuRef menu = nullptr;
  MenuLayout layout;
  MenuItemIndex hilited = 0;
  MenuItemIndex parentItem = 0;  // the item of the menu below that opened this one
  SavedPixels saved;
};

class MenuTracker {
 public:
  MenuTracker(bool bar, UInt32 tracking) : bar_(bar), tracking_(tracking) { open_.reserve(kMaxOpenMenus); }
  ~MenuTracker() { CloseFrom(0); }

  bool Open(MenuRef menu, Point topLeft, UInt32 where, MenuItemIndex parentItem) {
    if (open_.size() >= size_t(kMaxOpenMenus) || !IsLiveMenu(menu)) return false;
    UInt32 context = where | tracking_;
    SendMenuEvent(menu, kEventMenuEnableItems, context);
    if (SendMenuEvent(menu, kEventMenuOpening, context) == userCanceledErr || !IsLiveMenu(menu)) return false;
    OpenMenu m;
    m.menu = menu;
    m.parentItem = parentItem;
    m.layout = LayOutMenu(menu, topLeft);
    KeepLayoutOnScreen(&m.layout);
    SaveScreenPixels(m.layout.bounds, &m.saved);
    DrawMenu(menu, m.layout, 0);
    open_.push_back(std::move(m));
    return true;
  }

  void CloseFrom(size_t level) {
    while (open_.size() > level) {
      OpenMenu& m = open_.back();
      RestoreScreenPixels(m.saved);
      MenuRef menu = m.menu;
      open_.pop_back();
      if (IsLiveMenu(menu)) SendMenuEvent(menu, kEventMenuClosed, tracking_);
    }
  }

  // Opens a bar menu below its title (closing what was open), hilites the title.
  void OpenBarMenu(MenuRef menu) {
    if (barMenu_ == menu) return;
    CloseFrom(0);
    barMenu_ = menu;
    HiliteMenu(menu ? menu->id : 0);
    if (!menu) return;
    Rect title = TitleRectOf(menu);
    Open(menu, Point{GetMBarHeight(), title.left}, kMenuContextMenuBar | kMenuContextPullDown, 0);
  }

  // The deepest open menu and item under the point (item 0: in the menu, on no item).
  bool Hit(Point pt, size_t* level, MenuItemIndex* item) const {
    for (size_t i = open_.size(); i-- > 0;) {
      const OpenMenu& m = open_[i];
      if (!PtInRect(pt, &m.layout.bounds)) continue;
      *level = i;
      *item = 0;
      for (size_t k = 0; k < m.layout.items.size(); ++k)
        if (PtInRect(pt, &m.layout.items[k])) *item = MenuItemIndex(k + 1);
      return true;
    }
    return false;
  }

  void Follow(Point pt) {
    if (bar_) {
      if (MenuRef title = BarMenuAt(pt)) {
        OpenBarMenu(title);
        if (!open_.empty()) SetHilite(0, 0);
        return;
      }
    }
    size_t level;
    MenuItemIndex item;
    if (!Hit(pt, &level, &item)) {
      if (!open_.empty() && !HasOpenChild(open_.size() - 1)) SetHilite(open_.size() - 1, 0);
      return;
    }
    if (!IsItemChoosable(open_[level].menu, item)) item = 0;
    if (level + 1 < open_.size() && open_[level + 1].parentItem != item) CloseFrom(level + 1);
    SetHilite(level, item);
    MenuRef parent = open_[level].menu;
    MenuRef sub = item ? SubmenuOf(parent, item) : nullptr;
    if (!sub || level + 1 != open_.size()) return;
    Rect parentBounds = open_[level].layout.bounds;
    const Rect itemRect = open_[level].layout.items[item - 1];
    if (!Open(sub, Point{SInt16(itemRect.top - 5), SInt16(parentBounds.right - 3)}, kMenuContextSubmenu, item)) return;
    OpenMenu& fresh = open_.back();
    if (fresh.layout.bounds.left < parentBounds.right - 3) {  // no room on the right: open to the left
      RestoreScreenPixels(fresh.saved);
      SInt16 dh = SInt16(parentBounds.left + 3 - fresh.layout.bounds.right);
      OffsetRect(&fresh.layout.bounds, dh, 0);
      for (Rect& ir : fresh.layout.items) OffsetRect(&ir, dh, 0);
      KeepLayoutOnScreen(&fresh.layout);
      SaveScreenPixels(fresh.layout.bounds, &fresh.saved);
      DrawMenu(sub, fresh.layout, 0);
    }
  }

  // The choice at a release: (id << 16) | item, or 0; *chosen (may be null) gets its menu.
  SInt32 ChoiceAt(Point pt, MenuRef* chosen = nullptr) const {
    size_t level;
    MenuItemIndex item;
    if (!Hit(pt, &level, &item) || item == 0) return 0;
    MenuRef menu = open_[level].menu;
    if (!IsItemChoosable(menu, item)) return 0;
    MenuItemRecord* record = ItemAt(menu, item);
    if (SubmenuOf(menu, item) && !(record->attributes & kMenuItemAttrSubmenuParentChoosable)) return 0;
    if (chosen) *chosen = menu;
    return SInt32((UInt32(UInt16(menu->id)) << 16) | item);
  }

  bool InsideAny(Point pt) const {
    size_t level;
    MenuItemIndex item;
    return Hit(pt, &level, &item) || (bar_ && BarMenuAt(pt));
  }

  MenuRef barMenu() const { return barMenu_; }
  bool empty() const { return open_.empty(); }

 private:
  bool HasOpenChild(size_t level) const { return level + 1 < open_.size(); }

  void SetHilite(size_t level, MenuItemIndex item) {
    OpenMenu& m = open_[level];
    if (m.hilited == item) return;
    if (m.hilited) DrawMenuItem(m.menu, m.layout, m.hilited, false);
    m.hilited = item;
    if (item) DrawMenuItem(m.menu, m.layout, item, true);
  }

  bool bar_;
  UInt32 tracking_;
  MenuRef barMenu_ = nullptr;
  std::vector<OpenMenu> open_;
};

void SendTrackingEvent(UInt32 kind, MenuRef menu, UInt32 context) {
  EventRef event = nullptr;
  if (CreateEvent(nullptr, kEventClassMenu, kind, 0, kEventAttributeNone, &event) != noErr) return;
  if (menu) SetEventParameter(event, kEventParamDirectObject, typeMenuRef, sizeof menu, &menu);
  SetEventParameter(event, kEventParamMenuContext, typeUInt32, sizeof context, &context);
  SendEventToEventTarget(event, menu ? menu->target : GetApplicationEventTarget());
  ReleaseEvent(event);
}

MenuRef gLastChosen = nullptr;

// Runs a tracking loop: each mouse step is followed; a release ends it (a quick release where
// it started, or on the bar, keeps the menu open until the next click). Returns the choice
// and remembers its menu.
SInt32 RunTracking(MenuTracker& tracker, Point start, bool buttonHeld, bool bar) {
  gLastChosen = nullptr;
  EventTime startTime = GetCurrentEventTime();
  bool waitingForClick = !buttonHeld;
  for (;;) {
    Point pt;
    MouseTrackingResult result;
    Boolean fromQueue = false;
    TrackMouseStep(GetScreenPort(), waitingForClick ? OptionBits(kTrackMouseLocationOptionButtonMayBeUp) : 0,
                   kEventDurationForever, &pt, nullptr, &result, &fromQueue);
    if (result == kMouseTrackingUserCancelled || result == kMouseTrackingTimedOut) return 0;
    if (result == kMouseTrackingMouseDown) {
      if (!tracker.InsideAny(pt)) return 0;
      waitingForClick = false;
      tracker.Follow(pt);
      continue;
    }
    tracker.Follow(pt);
    if (result != kMouseTrackingMouseUp) continue;
    bool quick = fromQueue && !waitingForClick && GetCurrentEventTime() - startTime < kStickyClickSeconds;
    bool nearStart = std::abs(pt.h - start.h) <= 2 * kDragSlop && std::abs(pt.v - start.v) <= 2 * kDragSlop;
    bool onBar = bar && BarMenuAt(pt);
    if (quick && (nearStart || onBar) && !tracker.empty() && tracker.ChoiceAt(pt) == 0) {
      waitingForClick = true;
      continue;
    }
    if (waitingForClick) continue;  // a release with no press of ours
    return tracker.ChoiceAt(pt, &gLastChosen);
  }
}

bool MouseUpQueued() {
  EventRecord record;
  return EventAvail(mUpMask, &record);
}

}  // namespace

namespace menus_internal {

MenuRef LastChosenMenu() { return IsLiveMenu(gLastChosen) ? gLastChosen : nullptr; }

OSStatus SendMenuEvent(MenuRef menu, UInt32 kind, UInt32 context) {
  EventRef event = nullptr;
  if (CreateEvent(nullptr, kEventClassMenu, kind, 0, kEventAttributeNone, &event) != noErr) return memFullErr;
  SetEventParameter(event, kEventParamDirectObject, typeMenuRef, sizeof menu, &menu);
  SetEventParameter(event, kEventParamMenuContext, typeUInt32, sizeof context, &context);
  OSStatus status = SendEventToEventTarget(event, menu->target);
  ReleaseEvent(event);
  return status;
}

MenuRef BarAncestorOf(MenuRef menu) {
  std::vector<MenuRef> seen;
  for (MenuRef m = menu; m && seen.size() < size_t(kMaxOpenMenus * 4);) {
    if (std::find(BarMenus().begin(), BarMenus().end(), m) != BarMenus().end()) return m;
    seen.push_back(m);
    MenuRef parent = nullptr;
    for (MenuRef candidate : AllMenus()) {
      if (std::find(seen.begin(), seen.end(), candidate) != seen.end()) continue;
      for (MenuItemIndex i = 1; i <= candidate->items.size() && !parent; ++i)
        if (SubmenuOf(candidate, i) == m) parent = candidate;
      if (parent) break;
    }
    m = parent;
  }
  return nullptr;
}

OSStatus SendMenuItemCommand(MenuRef menu, MenuItemIndex item) {
  HICommand command;
  command.attributes = kHICommandFromMenu;
  GetMenuItemCommandID(menu, item, &command.commandID);
  command.menu.menuRef = menu;
  command.menu.menuItemIndex = item;
  return ProcessHICommand(&command);
}

}  // namespace menus_internal

SInt32 MenuSelect(Point startPt) {
  if (BarMenus().empty()) return 0;
  SendTrackingEvent(kEventMenuBeginTracking, nullptr, kMenuContextMenuBar | kMenuContextMenuBarTracking);
  SInt32 choice;
  MenuRef barMenu = nullptr;
  {
    MenuTracker tracker(true, kMenuContextMenuBarTracking);
    tracker.Follow(startPt);
    choice = RunTracking(tracker, startPt, true, true);
    barMenu = tracker.barMenu();
  }
  MenuRef title = choice ? BarAncestorOf(gLastChosen) : nullptr;
  if (!title && choice) title = barMenu;
  HiliteMenu(choice && title ? title->id : 0);
  SendTrackingEvent(kEventMenuEndTracking, nullptr, kMenuContextMenuBar | kMenuContextMenuBarTracking);
  return choice;
}

SInt32 PopUpMenuSelect(MenuRef menu, SInt16 top, SInt16 left, SInt16 popUpItem) {
  if (!IsLiveMenu(menu) || menu->items.empty()) return 0;
  Point start;
  GetGlobalMouse(&start);
  bool held = (GetCurrentButtonState() & 1) || MouseUpQueued();
  MenuLayout probe = LayOutMenu(menu, Point{top, left});
  Point at{top, left};
  if (popUpItem >= 1 && size_t(popUpItem) <= probe.items.size())
    at.v = SInt16(top - (probe.items[popUpItem - 1].top - probe.bounds.top));
  SendTrackingEvent(kEventMenuBeginTracking, menu, kMenuContextPopUp | kMenuContextPopUpTracking);
  SInt32 choice;
  {
    MenuTracker tracker(false, kMenuContextPopUpTracking);
    if (!tracker.Open(menu, at, kMenuContextPopUp, 0)) {
      choice = 0;
    } else {
      tracker.Follow(start);
      choice = RunTracking(tracker, start, held, false);
    }
  }
  SendTrackingEvent(kEventMenuEndTracking, menu, kMenuContextPopUp | kMenuContextPopUpTracking);
  return choice;
}

OSStatus InitContextualMenus() { return noErr; }

Boolean IsShowContextualMenuClick(const EventRecord* inEvent) {
  return inEvent && inEvent->what == mouseDown && (inEvent->modifiers & controlKey);
}

Boolean IsShowContextualMenuEvent(EventRef inEvent) {
  if (!inEvent || GetEventClass(inEvent) != kEventClassMouse || GetEventKind(inEvent) != kEventMouseDown)
    return false;
  UInt16 button = kEventMouseButtonPrimary;
  GetEventParameter(inEvent, kEventParamMouseButton, typeMouseButton, nullptr, sizeof button, nullptr, &button);
  UInt32 modifiers = 0;
  GetEventParameter(inEvent, kEventParamKeyModifiers, typeUInt32, nullptr, sizeof modifiers, nullptr, &modifiers);
  return button == kEventMouseButtonSecondary || (button == kEventMouseButtonPrimary && (modifiers & controlKey));
}

OSStatus ContextualMenuSelect(MenuRef inMenu, Point inGlobalLocation, Boolean, UInt32, ConstStr255Param,
                              const void*, UInt32* outUserSelectionType, MenuID* outMenuID,
                              MenuItemIndex* outMenuItem) {
  if (outUserSelectionType) *outUserSelectionType = kCMNothingSelected;
  if (outMenuID) *outMenuID = 0;
  if (outMenuItem) *outMenuItem = 0;
  if (!IsLiveMenu(inMenu)) return paramErr;
  SInt32 choice = PopUpMenuSelect(inMenu, inGlobalLocation.v, inGlobalLocation.h, 0);
  if (choice == 0) return userCanceledErr;
  if (outUserSelectionType) *outUserSelectionType = kCMMenuItemSelected;
  if (outMenuID) *outMenuID = MenuID(UInt32(choice) >> 16);
  if (outMenuItem) *outMenuItem = MenuItemIndex(choice & 0xFFFF);
  return noErr;
}

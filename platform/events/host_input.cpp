// Host input: the live mouse and keyboard state, and the events that host input queues.
#include <cstdlib>
#include <cstring>

#include "platform/events/classic_events.h"
#include "platform/events/events_internal.h"
#include "platform/events/host_input.h"

using events_internal::InboxItem;

namespace {

std::atomic<uint32_t> gMouse{0};  // v in the high half, h in the low half
std::atomic<uint32_t> gButtons{0};
std::atomic<uint32_t> gModifiers{0};
std::atomic<uint32_t> gKeyWords[4] = {};  // the key map's bytes, four to a word

std::atomic<HostWakeProcPtr> gWake{nullptr};
HostEventPumpProcPtr gPump = nullptr;
int gPumpDepth = 0;

// Double-click tracking (main thread, in the order events are queued).
struct ClickState {
  EventTime lastDownTime = -1e9;
  Point lastDownWhere;
  UInt16 lastButton = 0;
  UInt32 count = 0;
} gClicks;

uint32_t PackPoint(Point p) { return (uint32_t(uint16_t(p.v)) << 16) | uint16_t(p.h); }
Point UnpackPoint(uint32_t packed) { return Point{int16_t(packed >> 16), int16_t(packed & 0xFFFF)}; }

// Bit of key k in the word that holds it (the word keeps the map's bytes in memory order).
uint32_t KeyWordBit(UInt16 keyCode) {
  UInt8 bytes[4] = {0, 0, 0, 0};
  bytes[(keyCode >> 3) & 3] = UInt8(1u << (keyCode & 7));
  uint32_t word;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

void SetKey(UInt16 keyCode, bool down) {
  if (keyCode > 127) return;
  std::atomic<uint32_t>& word = gKeyWords[keyCode >> 5];
  if (down)
    word.fetch_or(KeyWordBit(keyCode));
  else
    word.fetch_and(~KeyWordBit(keyCode));
}

bool KeyDown(UInt16 keyCode) { return gKeyWords[keyCode >> 5].load() & KeyWordBit(keyCode); }

// Makes the modifier keys in the key map agree with a modifier state: a held modifier with
// neither of its keys down gets its left key; a released one loses both.
void SyncModifierKeys(UInt32 modifiers) {
  struct Pair {
    UInt32 bit;
    UInt16 left;
    UInt16 right;  // 0xFFFF: none
    UInt32 rightBit;
  };
  static const Pair kPairs[] = {
      {cmdKey, kVK_Command, kVK_RightCommand, 0},
      {shiftKey, kVK_Shift, kVK_RightShift, rightShiftKey},
      {optionKey, kVK_Option, kVK_RightOption, rightOptionKey},
      {controlKey, kVK_Control, kVK_RightControl, rightControlKey},
      {kEventKeyModifierFnMask, kVK_Function, 0xFFFF, 0},
  };
  for (const Pair& p : kPairs) {
    if (p.rightBit) SetKey(p.right, modifiers & p.rightBit);
    if (!(modifiers & p.bit)) {
      SetKey(p.left, false);
      if (p.right != 0xFFFF) SetKey(p.right, false);
    } else if (!KeyDown(p.left) && (p.right == 0xFFFF || !KeyDown(p.right))) {
      SetKey(p.left, true);
    }
  }
  SetKey(kVK_CapsLock, modifiers & alphaLock);
}

// The held-modifier bits that the modifier keys in the key map give.
UInt32 HeldModifiersFromKeys() {
  UInt32 held = 0;
  for (UInt16 code = kVK_RightCommand; code <= kVK_Function; ++code)
    if (code != kVK_CapsLock && KeyDown(code)) held |= ModifierBitsForKeyCode(code);
  return held;
}

OSStatus Push(const InboxItem& item) {
  return events_internal::PushInbox(item) ? OSStatus(noErr) : OSStatus(memFullErr);
}

OSStatus PushModifiersChanged(UInt32 modifiers) {
  InboxItem item;
  item.kind = InboxItem::kModifiers;
  item.modifiers = modifiers;
  item.time = GetCurrentEventTime();
  return Push(item);
}

void SetModifiers(UInt32 modifiers) {
  gModifiers.store(modifiers);
  SyncModifierKeys(modifiers);
}

EventRef NewHostEvent(UInt32 eventClass, UInt32 kind, const InboxItem& item) {
  EventRef event = nullptr;
  CreateEvent(nullptr, eventClass, kind, item.time, kEventAttributeUserEvent, &event);
  return event;
}

void SetCommonMouseParams(EventRef event, const InboxItem& item) {
  SetEventParameter(event, kEventParamMouseLocation, typeQDPoint, sizeof(Point), &item.where);
  SetEventParameter(event, kEventParamKeyModifiers, typeUInt32, sizeof(UInt32), &item.modifiers);
}

// Merges a move into a move of the same kind at the end of the queue.
bool MergeMove(const InboxItem& item) {
  auto& queue = events_internal::MainQueue();
  if (queue.empty()) return false;
  EventRef last = queue.back().event;
  if (last->eventClass != kEventClassMouse || last->kind != item.eventKind) return false;
  SetCommonMouseParams(last, item);
  last->time = item.time;
  return true;
}

UInt32 CountClick(const InboxItem& item) {
  EventTime gap = item.time - gClicks.lastDownTime;
  int slop = 2 * kDragSlop;
  bool again = item.button == gClicks.lastButton && gap >= 0 && gap <= GetDblTime() / 60.0 &&
               std::abs(item.where.h - gClicks.lastDownWhere.h) <= slop &&
               std::abs(item.where.v - gClicks.lastDownWhere.v) <= slop;
  gClicks.count = again ? gClicks.count + 1 : 1;
  gClicks.lastDownTime = item.time;
  gClicks.lastDownWhere = item.where;
  gClicks.lastButton = item.button;
  return gClicks.count;
}

EventRef MakeMouseEvent(const InboxItem& item) {
  bool move = item.eventKind == kEventMouseMoved || item.eventKind == kEventMouseDragged;
  if (move && MergeMove(item)) return nullptr;
  EventRef event = NewHostEvent(kEventClassMouse, item.eventKind, item);
  SetCommonMouseParams(event, item);
  SetEventParameter(event, kEventParamMouseButton, typeMouseButton, sizeof(UInt16), &item.button);
  if (!move) {
    UInt32 clicks = item.eventKind == kEventMouseDown ? CountClick(item) : gClicks.count;
    if (clicks == 0) clicks = 1;
    SetEventParameter(event, kEventParamClickCount, typeUInt32, sizeof clicks, &clicks);
  }
  return event;
}

EventRef MakeWheelEvent(const InboxItem& item) {
  EventRef event = NewHostEvent(kEventClassMouse, kEventMouseWheelMoved, item);
  SetCommonMouseParams(event, item);
  SetEventParameter(event, kEventParamMouseWheelAxis, typeMouseWheelAxis, sizeof(UInt16), &item.axis);
  SetEventParameter(event, kEventParamMouseWheelDelta, typeSInt32, sizeof(SInt32), &item.delta);
  return event;
}

EventRef MakeKeyEvent(const InboxItem& item) {
  EventRef event = NewHostEvent(kEventClassKeyboard, item.eventKind, item);
  UInt32 keyCode = item.keyCode;
  UInt8 ch = item.charCode >= 0 ? UInt8(item.charCode) : CharCodeForKeyCode(item.keyCode, item.modifiers);
  UInt32 keyboardType = 40;  // an extended keyboard
  SetEventParameter(event, kEventParamKeyCode, typeUInt32, sizeof keyCode, &keyCode);
  SetEventParameter(event, kEventParamKeyMacCharCodes, typeChar, 1, &ch);
  SetEventParameter(event, kEventParamKeyModifiers, typeUInt32, sizeof(UInt32), &item.modifiers);
  SetEventParameter(event, kEventParamKeyboardType, typeUInt32, sizeof keyboardType, &keyboardType);
  return event;
}

}  // namespace

namespace events_internal {

EventRef MakeEventForInboxItem(const InboxItem& item) {
  switch (item.kind) {
    case InboxItem::kMouse: return MakeMouseEvent(item);
    case InboxItem::kWheel: return MakeWheelEvent(item);
    case InboxItem::kKey: return MakeKeyEvent(item);
    case InboxItem::kModifiers: {
      EventRef event = NewHostEvent(kEventClassKeyboard, kEventRawKeyModifiersChanged, item);
      SetEventParameter(event, kEventParamKeyModifiers, typeUInt32, sizeof(UInt32), &item.modifiers);
      return event;
    }
    case InboxItem::kActivation: return NewHostEvent(kEventClassApplication, item.eventKind, item);
    case InboxItem::kEvent: break;
  }
  return nullptr;
}

void PumpHost(EventTime maxWait) {
  if (!gPump || gPumpDepth > 0 || !IsMainThread()) return;
  ++gPumpDepth;
  gPump(maxWait);
  --gPumpDepth;
}

bool HasHostPump() { return gPump != nullptr; }

void CallHostWake() {
  HostWakeProcPtr wake = gWake.load();
  if (wake) wake();
}

Point CurrentMouse() { return UnpackPoint(gMouse.load()); }
UInt32 CurrentModifiers() { return gModifiers.load(); }
UInt32 CurrentButtons() { return gButtons.load(); }

}  // namespace events_internal

OSStatus PostHostMouseEvent(UInt32 kind, Point globalWhere, UInt16 button, UInt32 modifiers) {
  bool press = kind == kEventMouseDown || kind == kEventMouseUp;
  if (!press && kind != kEventMouseMoved && kind != kEventMouseDragged) return paramErr;
  if (press && (button < 1 || button > 32)) return paramErr;
  gMouse.store(PackPoint(globalWhere));
  SetModifiers(modifiers);
  if (kind == kEventMouseDown) gButtons.fetch_or(1u << (button - 1));
  if (kind == kEventMouseUp) gButtons.fetch_and(~(1u << (button - 1)));
  InboxItem item;
  item.kind = InboxItem::kMouse;
  item.eventKind = kind;
  if (!press) {
    uint32_t held = gButtons.load();
    item.eventKind = held ? kEventMouseDragged : kEventMouseMoved;
    button = held ? UInt16(__builtin_ctz(held) + 1) : 0;
  }
  item.where = globalWhere;
  item.button = button;
  item.modifiers = modifiers;
  item.time = GetCurrentEventTime();
  return Push(item);
}

OSStatus PostHostWheelEvent(Point globalWhere, UInt16 axis, SInt32 delta, UInt32 modifiers) {
  if (axis != kEventMouseWheelAxisX && axis != kEventMouseWheelAxisY) return paramErr;
  gMouse.store(PackPoint(globalWhere));
  SetModifiers(modifiers);
  InboxItem item;
  item.kind = InboxItem::kWheel;
  item.where = globalWhere;
  item.axis = axis;
  item.delta = delta;
  item.modifiers = modifiers;
  item.time = GetCurrentEventTime();
  return Push(item);
}

OSStatus PostHostKeyEvent(UInt32 kind, UInt16 keyCode, UInt32 modifiers, SInt16 charCode) {
  if (keyCode > 127 || kind < kEventRawKeyDown || kind > kEventRawKeyUp) return paramErr;
  UInt32 old = gModifiers.load();
  if (IsModifierKeyCode(keyCode)) {
    if (keyCode != kVK_CapsLock) SetKey(keyCode, kind != kEventRawKeyUp);
    UInt32 now = (modifiers & ~kHeldModifierMask) | HeldModifiersFromKeys();
    if (keyCode == kVK_CapsLock) now = modifiers;
    SetModifiers(now);
    return now == old ? OSStatus(noErr) : PushModifiersChanged(now);
  }
  SetModifiers(modifiers);
  SetKey(keyCode, kind != kEventRawKeyUp);
  if (modifiers != old) PushModifiersChanged(modifiers);
  InboxItem item;
  item.kind = InboxItem::kKey;
  item.eventKind = kind;
  item.keyCode = keyCode;
  item.charCode = charCode;
  item.modifiers = modifiers;
  item.time = GetCurrentEventTime();
  return Push(item);
}

OSStatus PostHostModifiersEvent(UInt32 modifiers) {
  UInt32 old = gModifiers.load();
  SetModifiers(modifiers);
  return modifiers == old ? OSStatus(noErr) : PushModifiersChanged(modifiers);
}

OSStatus PostHostActivation(Boolean active) {
  InboxItem item;
  item.kind = InboxItem::kActivation;
  item.eventKind = active ? kEventAppActivated : kEventAppDeactivated;
  item.time = GetCurrentEventTime();
  return Push(item);
}

void ResetHostInputState() {
  for (auto& word : gKeyWords) word.store(0);
  gButtons.store(0);
  SetModifiers(gModifiers.load() & alphaLock);
}

void SetHostEventPump(HostEventPumpProcPtr pump) { gPump = pump; }
void SetHostWakeHook(HostWakeProcPtr wake) { gWake.store(wake); }

void GetKeys(UInt8* theKeys) {
  if (!theKeys) return;
  if (events_internal::IsMainThread()) events_internal::PumpHost(0);
  for (int i = 0; i < 4; ++i) {
    uint32_t word = gKeyWords[i].load();
    std::memcpy(theKeys + 4 * i, &word, sizeof word);
  }
}

UInt32 GetCurrentKeyModifiers() { return gModifiers.load(); }
UInt32 GetCurrentButtonState() { return gButtons.load(); }

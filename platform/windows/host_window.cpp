#include "platform/windows/host_window.h"

#include <SDL2/SDL.h>

#include <cmath>

#include "platform/events/apple_events.h"
#include "platform/events/host_input.h"
#include "platform/events/key_codes.h"
#include "platform/quickdraw/screen.h"
#include "platform/windows/windows.h"

namespace {

EventTime gLastQuitRequest = -1e9;

void RequestQuit() {
  EventTime now = GetCurrentEventTime();
  if (now - gLastQuitRequest < 0.5) return;  // the close and the SDL quit that follows it
  gLastQuitRequest = now;
  PostQuitAppleEvent();
}

UInt16 MacButton(Uint8 sdlButton) {
  switch (sdlButton) {
    case SDL_BUTTON_LEFT: return 1;
    case SDL_BUTTON_RIGHT: return 2;
    case SDL_BUTTON_MIDDLE: return 3;
    default: return UInt16(sdlButton);
  }
}

UInt32 CurrentModifiers() { return MacModifiersForHostKeymod(UInt32(SDL_GetModState())); }

void TranslateWindowEvent(const SDL_WindowEvent& e) {
  switch (e.event) {
    case SDL_WINDOWEVENT_CLOSE: RequestQuit(); break;
    case SDL_WINDOWEVENT_EXPOSED: MarkScreenDirty(nullptr); break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      if (ResizeScreen(e.data1, e.data2)) KeepWindowsOnResizedScreen();
      break;
    case SDL_WINDOWEVENT_FOCUS_GAINED: PostHostActivation(true); break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
      ResetHostInputState();
      PostHostActivation(false);
      break;
  }
}

void TranslateKey(const SDL_KeyboardEvent& e) {
  UInt16 code = MacKeyCodeForUsbUsage(UInt32(e.keysym.scancode));
  if (code == kNoMacKeyCode) return;
  UInt32 kind = e.type == SDL_KEYUP ? kEventRawKeyUp : (e.repeat ? kEventRawKeyRepeat : kEventRawKeyDown);
  PostHostKeyEvent(kind, code, MacModifiersForHostKeymod(e.keysym.mod), -1);
}

void Translate(const SDL_Event& e) {
  switch (e.type) {
    case SDL_QUIT: RequestQuit(); break;
    case SDL_WINDOWEVENT: TranslateWindowEvent(e.window); break;
    case SDL_MOUSEMOTION:
      PostHostMouseEvent(kEventMouseMoved, Point{SInt16(e.motion.y), SInt16(e.motion.x)}, 0, CurrentModifiers());
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      PostHostMouseEvent(e.type == SDL_MOUSEBUTTONDOWN ? kEventMouseDown : kEventMouseUp,
                         Point{SInt16(e.button.y), SInt16(e.button.x)}, MacButton(e.button.button),
                         CurrentModifiers());
      break;
    case SDL_MOUSEWHEEL: {
      int x = 0, y = 0;
      SDL_GetMouseState(&x, &y);
      Point where{SInt16(y), SInt16(x)};
      int flip = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -1 : 1;
      if (e.wheel.y) PostHostWheelEvent(where, kEventMouseWheelAxisY, flip * e.wheel.y, CurrentModifiers());
      if (e.wheel.x) PostHostWheelEvent(where, kEventMouseWheelAxisX, flip * e.wheel.x, CurrentModifiers());
      break;
    }
    case SDL_KEYDOWN:
    case SDL_KEYUP: TranslateKey(e.key); break;
  }
}

void Pump(EventTime maxWait) { PumpHostWindow(maxWait); }

}  // namespace

UInt32 MacModifiersForHostKeymod(UInt32 keymod) {
  UInt32 m = 0;
  if (keymod & (KMOD_GUI | KMOD_CTRL)) m |= cmdKey;
  if (keymod & KMOD_SHIFT) m |= shiftKey;
  if (keymod & KMOD_RSHIFT) m |= rightShiftKey;
  if (keymod & KMOD_ALT) m |= optionKey;
  if (keymod & KMOD_RALT) m |= rightOptionKey;
  if (keymod & KMOD_CAPS) m |= alphaLock;
  if (keymod & KMOD_NUM) m |= kEventKeyModifierNumLockMask;
  return m;
}

void PumpHostWindow(EventTime maxWait) {
  if (!ScreenHasHostWindow()) return;
  PresentScreen();
  SDL_Event e;
  int ms = maxWait > 0 ? int(std::ceil(maxWait * 1000)) : 0;
  bool got = ms > 0 ? SDL_WaitEventTimeout(&e, ms) : SDL_PollEvent(&e);
  while (got) {
    Translate(e);
    got = SDL_PollEvent(&e);
  }
}

Boolean InstallHostWindowPump() {
  if (!ScreenHasHostWindow()) return false;
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  SetHostEventPump(Pump);
  return true;
}

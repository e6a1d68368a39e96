// The event loops: the application loop, app-modal loops for a window and timed runs. Each
// running loop has a frame on a stack; a quit request marks a frame, and the loop returns
// when it sees its own frame marked.
#include <vector>

#include "platform/events/events_internal.h"

struct OpaqueEventLoopRef {};

namespace {

enum class LoopKind { kApplication, kModal, kTimed };

struct LoopFrame {
  LoopKind kind;
  WindowRef window = nullptr;
  bool quit = false;
};

OpaqueEventLoopRef gMainLoop;
std::vector<LoopFrame*> gFrames;
AppModalHookProcPtr gModalBegin = nullptr;
AppModalHookProcPtr gModalEnd = nullptr;

// Takes events and dispatches them until the frame is marked or the deadline passes.
events_internal::WaitEnd RunFrame(LoopFrame* frame, EventTime deadline) {
  using namespace events_internal;
  gFrames.push_back(frame);
  WaitEnd end = WaitEnd::kQuit;
  while (!frame->quit) {
    end = WaitUntil(deadline, true, [] { return !MainQueue().empty(); });
    if (end != WaitEnd::kReady) break;
    EventRef event = TakeQueuedAt(0);
    DispatchQueuedEvent(event);
    ReleaseEvent(event);
  }
  gFrames.pop_back();
  return frame->quit ? WaitEnd::kQuit : end;
}

}  // namespace

namespace events_internal {

bool InnermostLoopQuitRequested() { return !gFrames.empty() && gFrames.back()->quit; }

}  // namespace events_internal

EventLoopRef GetMainEventLoop() { return &gMainLoop; }
EventLoopRef GetCurrentEventLoop() { return &gMainLoop; }

void RunApplicationEventLoop() {
  if (!events_internal::IsMainThread()) return;
  LoopFrame frame{LoopKind::kApplication};
  RunFrame(&frame, kEventDurationForever);
}

void QuitApplicationEventLoop() {
  for (auto it = gFrames.rbegin(); it != gFrames.rend(); ++it) {
    if ((*it)->kind == LoopKind::kApplication) {
      (*it)->quit = true;
      return;
    }
  }
}

OSStatus RunAppModalLoopForWindow(WindowRef window) {
  if (!window || !events_internal::IsMainThread()) return paramErr;
  LoopFrame frame{LoopKind::kModal, window};
  if (gModalBegin) gModalBegin(window);
  RunFrame(&frame, kEventDurationForever);
  if (gModalEnd) gModalEnd(window);
  return noErr;
}

OSStatus QuitAppModalLoopForWindow(WindowRef window) {
  for (auto it = gFrames.rbegin(); it != gFrames.rend(); ++it) {
    if ((*it)->kind == LoopKind::kModal && (*it)->window == window && !(*it)->quit) {
      (*it)->quit = true;
      return noErr;
    }
  }
  return paramErr;
}

void SetAppModalLoopHooks(AppModalHookProcPtr begin, AppModalHookProcPtr end) {
  gModalBegin = begin;
  gModalEnd = end;
}

WindowRef GetAppModalLoopWindow() {
  for (auto it = gFrames.rbegin(); it != gFrames.rend(); ++it)
    if ((*it)->kind == LoopKind::kModal) return (*it)->window;
  return nullptr;
}

OSStatus RunCurrentEventLoop(EventTimeout timeout) {
  if (!events_internal::IsMainThread()) return paramErr;
  LoopFrame frame{LoopKind::kTimed};
  EventTime deadline = events_internal::DeadlineAfter(timeout);
  return RunFrame(&frame, deadline) == events_internal::WaitEnd::kQuit ? eventLoopQuitErr
                                                                       : eventLoopTimedOutErr;
}

OSStatus QuitEventLoop(EventLoopRef loop) {
  if (loop != &gMainLoop) return paramErr;
  if (!gFrames.empty()) gFrames.back()->quit = true;
  return noErr;
}

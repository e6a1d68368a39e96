#include "tests/shell/app/app_fixture.h"

#include <cstdlib>

#include "platform/events/classic_events.h"
#include "shell/app/app_entry.h"
#include "shell/app/idle_tasks.h"
#include "shell/app/shutdown.h"
#include "shell/app/startup.h"
#include "shell/base/app_state.h"
#include "shell/base/idle_flag.h"
#include "song/prefs/window_layout.h"

namespace app_test {

namespace {
bool gLoopTimedOut = false;

void EndStuckLoop(EventLoopTimerRef, void*) {
  gLoopTimedOut = true;
  QuitApplicationEventLoop();
}

void RunAction(EventLoopTimerRef timer, void* action) {
  RemoveEventLoopTimer(timer);
  reinterpret_cast<void (*)()>(action)();
}
}  // namespace

void AppTest::SetUp() {
  headless_ = std::make_unique<zarin_test::ScopedEnv>("ZARIN_HEADLESS", "1");
  resources_ = std::make_unique<zarin_test::ScopedEnv>("ZARIN_APP_RESOURCES", ZARIN_TEST_APP_RESOURCES);
  // Keep the tests to in-process MIDI endpoints and the built-in synth: no JACK or ALSA client.
  if (!std::getenv("ZARIN_MIDI_DRIVERS")) setenv("ZARIN_MIDI_DRIVERS", "virtual,synth", 1);
  gQuitFlag = 0;
  gAppState[1] = 0;
  gAppState[4] = 0;
  SetIdleFlag(0);
  FlushEventQueue(GetMainEventQueue());
}

void AppTest::TearDown() {
  RemoveIdleTimer();
  FlushEventQueue(GetMainEventQueue());
  gQuitFlag = 0;
}

bool AppTest::RunUntilQuit(double limitSeconds) {
  gLoopTimedOut = false;
  EventLoopTimerRef guard = nullptr;
  InstallEventLoopTimer(GetMainEventLoop(), limitSeconds, limitSeconds, EndStuckLoop, nullptr, &guard);
  RunEventLoopUntilQuit();
  RemoveEventLoopTimer(guard);
  return !gLoopTimedOut;
}

void AppTest::PostKey(char ch, UInt32 keyCode, UInt32 modifiers) {
  EventRef event = nullptr;
  ASSERT_EQ(noErr, CreateEvent(nullptr, kEventClassKeyboard, kEventRawKeyDown, 0, 0, &event));
  SetEventParameter(event, kEventParamKeyMacCharCodes, typeChar, 1, &ch);
  SetEventParameter(event, kEventParamKeyCode, typeUInt32, sizeof keyCode, &keyCode);
  SetEventParameter(event, kEventParamKeyModifiers, typeUInt32, sizeof modifiers, &modifiers);
  ASSERT_EQ(noErr, PostEventToQueue(GetMainEventQueue(), event, kEventPriorityStandard));
  ReleaseEvent(event);
}

void AppTest::After(double seconds, void (*action)()) {
  EventLoopTimerRef timer = nullptr;
  InstallEventLoopTimer(GetMainEventLoop(), seconds, seconds, RunAction, reinterpret_cast<void*>(action), &timer);
}

}  // namespace app_test

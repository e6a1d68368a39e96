#include "tests/shell/fields/fields_fixture.h"

#include <unistd.h>

#include <cstdlib>
#include <deque>

#include "platform/events/classic_events.h"
#include "platform/events/host_input.h"
#include "platform/quickdraw/ports.h"
#include "platform/quickdraw/screen.h"
#include "platform/resources/resource_files.h"
#include "platform/resources/resource_manager.h"
#include "shell/base/app_state.h"
#include "shell/base/resource_files.h"
#include "shell/dialogs/drawn_popups.h"
#include "shell/dialogs/progress_dialog.h"
#include "shell/dialogs/value_fields.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/editor_panes.h"

namespace fields_test {

namespace {

const bool kHeadlessScreen = [] {
  setenv("ZARIN_HEADLESS", "1", 1);
  setenv("ZARIN_SCREEN", "1024x768", 1);
  return true;
}();

std::deque<Step> gScript;
bool gHolding = false;
EventTime gHoldEnd = 0;

bool InputPending() {
  EventRecord record;
  return EventAvail(mDownMask | mUpMask | keyDownMask | autoKeyMask | osMask, &record);
}

void Feed(const Step& step) {
  switch (step.kind) {
    case Step::kMove: PostHostMouseEvent(kEventMouseMoved, step.where, 0, 0); break;
    case Step::kDown: PostHostMouseEvent(kEventMouseDown, step.where, 1, 0); break;
    case Step::kUp: PostHostMouseEvent(kEventMouseUp, step.where, 1, 0); break;
    case Step::kKey:
      PostHostKeyEvent(kEventRawKeyDown, step.keyCode, step.modifiers, SInt16(step.ch));
      PostHostKeyEvent(kEventRawKeyUp, step.keyCode, step.modifiers, SInt16(step.ch));
      break;
    case Step::kHold: break;
  }
}

void ScriptPump(EventTime maxWait) {
  if (maxWait <= 0 || gScript.empty()) return;
  if (gHolding) {
    if (GetCurrentEventTime() < gHoldEnd) {
      usleep(1000);
      return;
    }
    gHolding = false;
    gScript.pop_front();
    if (gScript.empty()) return;
  }
  if (InputPending()) return;
  Step step = gScript.front();
  if (step.kind == Step::kHold) {
    gHolding = true;
    gHoldEnd = GetCurrentEventTime() + step.ticks / 60.0;
    return;
  }
  gScript.pop_front();
  Feed(step);
}

bool gResourcesOpen = false;

}  // namespace

void RunScript(std::vector<Step> steps) {
  gScript.assign(steps.begin(), steps.end());
  gHolding = false;
}

size_t StepsLeft() { return gScript.size(); }

void PressAt(Point p) { PostHostMouseEvent(kEventMouseDown, p, 1, 0); }

void FieldsTest::SetUp() {
  InitWindows();
  FlushEventQueue(GetMainEventQueue());
  ResetHostInputState();
  PostHostMouseEvent(kEventMouseMoved, Point{400, 400}, 0, 0);
  FlushEventQueue(GetMainEventQueue());
  SetHostEventPump(ScriptPump);
  RunScript({});
  if (!gResourcesOpen) {
    SInt16 refNum = -1;
    ASSERT_EQ(OpenAppResourceFile(ZARIN_TEST_APP_RESOURCES, &refNum), noErr);
    gAppResFile = refNum;
    gResourcesOpen = true;
  }
  UseResFile(gAppResFile);
  gAppState[0] = 0x8;
  gAppState[1] = 0;
  gAppState[4] = 0;
  CreateAppWindow(&gPopUpPortWindow, 300, &gPopUpPortRecord, kPopUpPortKind, 0, 2);
  ASSERT_NE(gPopUpPortWindow, nullptr);
  Rect bounds{100, 100, 400, 500};
  ASSERT_EQ(CreateNewWindow(kDocumentWindowClass, 0, &bounds, &window_), noErr);
  ShowWindow(window_);
  SetPortWindowPort(window_);
  ResetValueField();
  gPopUpChoice = -1;
  gPopUpPreferences = 0;
}

void FieldsTest::TearDown() {
  RunScript({});
  if (IsProgressDialogUp()) CloseProgressDialog();
  TakeProgressError();
  ClearEditorPanes();
  ResetValueField();
  DisposeAllAppWindows();
  if (window_) DisposeWindow(window_);
  window_ = nullptr;
  SetHostEventPump(nullptr);
  FlushEventQueue(GetMainEventQueue());
  ResetHostInputState();
}

Point FieldsTest::Global(Point local) const {
  GrafPtr saved = nullptr;
  GetPort(&saved);
  SetPortWindowPort(window_);
  LocalToGlobal(&local);
  if (saved) SetPort(saved);
  return local;
}

}  // namespace fields_test

namespace fields_test {
UInt32 ScreenPixel(int h, int v) {
  PixMapHandle pm = GetPortPixMap(GetScreenPort());
  const PixMap& map = **pm;
  const auto* row = reinterpret_cast<const UInt32*>(map.baseAddr + size_t(v - map.bounds.top) * map.rowBytesFull);
  return row[h - map.bounds.left] & 0xFFFFFF;
}
}  // namespace fields_test

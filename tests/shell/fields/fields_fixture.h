// A headless screen with the program's resources, a document window to put fields in, the
// pop-up port window, and a scripted mouse: the steps are fed to the event queue one at a
// time, each when the code under test waits and no mouse or key event is pending, so the
// live mouse state always matches the event being handled.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "platform/events/carbon_events.h"
#include "platform/quickdraw/quickdraw_types.h"
#include "platform/windows/windows.h"

namespace fields_test {

struct Step {
  enum Kind { kMove, kDown, kUp, kKey, kHold } kind;
  Point where{};
  int ticks = 0;          // kHold: real ticks to wait before the next step
  unsigned char ch = 0;   // kKey
  UInt16 keyCode = 0;
  UInt32 modifiers = 0;
};

inline Step Move(Point p) { return Step{Step::kMove, p}; }
inline Step Down(Point p) { return Step{Step::kDown, p}; }
inline Step Up(Point p) { return Step{Step::kUp, p}; }
inline Step Hold(int ticks) { return Step{Step::kHold, {}, ticks}; }
inline Step Key(unsigned char ch, UInt16 keyCode, UInt32 modifiers = 0) {
  return Step{Step::kKey, {}, 0, ch, keyCode, modifiers};
}
inline Point At(int v, int h) { return Point{SInt16(v), SInt16(h)}; }

// Starts a script; steps left over are dropped by the next call or at the end of the test.
void RunScript(std::vector<Step> steps);
// Steps not yet fed.
size_t StepsLeft();
// Presses the button at p at once (not through the script).
void PressAt(Point p);

class FieldsTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // The global point of a point local to window_.
  Point Global(Point local) const;

  WindowRef window_ = nullptr;
};

}  // namespace fields_test

namespace fields_test {
// RGB (0xRRGGBB) of the screen pixel at a global point.
UInt32 ScreenPixel(int h, int v);
}  // namespace fields_test

// Typing into the number field: accepted characters, commit, clamping, the nested state.
#include <cstring>
#include <string>

#include "platform/events/classic_events.h"
#include "platform/events/host_input.h"
#include "platform/quickdraw/ports.h"
#include "shell/app/app_events.h"
#include "shell/base/event_records.h"
#include "shell/dialogs/poll_events.h"
#include "shell/dialogs/value_fields.h"
#include "shell/drawing/scratch_rect.h"
#include "tests/shell/fields/fields_fixture.h"

namespace fields_test {
namespace {

int32_t gChanged = -12345;
int gChangeCalls = 0;
uint32_t gFlagsSeenByChange = 0;
int gAfterCalls = 0;

void RecordChange(int32_t value) {
  gChanged = value;
  ++gChangeCalls;
  gFlagsSeenByChange = gValueField.flags;
}
void CountAfter() { ++gAfterCalls; }

std::string FieldText() {
  return std::string(reinterpret_cast<const char*>(gValueField.text + 1), gValueField.text[0]);
}

class ValueFieldTest : public FieldsTest {
 protected:
  void Open(int32_t minimum, int32_t maximum, int32_t value, uint32_t extraFlags = 0) {
    gChanged = -12345;
    gChangeCalls = 0;
    gAfterCalls = 0;
    SetScratchRect(20, 20, 60, 20);
    gValueField.flags = extraFlags;
    gValueField.maxTextLength = 6;
    gValueField.limitCheck = 1;
    ActivateValueField(RecordChange, minimum, maximum, value, nullptr);
    SetValueFieldNumber(value);
  }
  // Types each character; answers how many the field took.
  int Type(const char* keys) {
    int taken = 0;
    for (const char* k = keys; *k; ++k) taken += HandleValueFieldKeyIfActive(uint8_t(*k)) ? 1 : 0;
    return taken;
  }
};

TEST_F(ValueFieldTest, TypedNumbersCommitClampedToTheRange) {
  struct Case {
    const char* name;
    int32_t minimum, maximum, value;
    uint32_t flags;
    const char* keys;
    int32_t committed;
  } cases[] = {
      {"first key replaces the shown text", 0, 100, 50, 0, "75\r", 75},
      {"too large is clamped", 0, 100, 50, 0, "150\r", 100},
      {"negative allowed below a negative minimum", -10, 10, 0, 0, "-5\r", -5},
      {"too small is clamped", -10, 10, 0, 0, "-50\r", -10},
      {"backspace on fresh text empties it", 0, 100, 50, 0, "\b9\r", 9},
      {"backspace removes the last digit", 0, 100, 50, 0, "12\b3\r", 13},
      {"decimal field reads tenths", 0, 5000, 100, kValueFieldDecimal, "12.5\r", 125},
      {"decimal field without a point", 0, 5000, 100, kValueFieldDecimal, "12\x03", 120},
      {"length limit cuts the text", 0, 999999, 1, 0, "12345678\r", 123456},
      {"arrows step: up and right raise", 0, 100, 50, 0, "\x1e\x1d\r", 61},
      {"arrows step: down and left lower", 0, 100, 50, 0, "\x1f\x1c\r", 39},
      {"arrow steps stay in range", 0, 100, 95, 0, "\x1e\r", 100},
      {"dash field: a lone minus is the minimum", 0, 10, 5, kValueFieldDashAtMinimum, "-\r", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Open(c.minimum, c.maximum, c.value, c.flags);
    Type(c.keys);
    EXPECT_FALSE(IsValueFieldActive());
    EXPECT_EQ(gChangeCalls, 1);
    EXPECT_EQ(gChanged, c.committed);
    EXPECT_EQ(gValueField.value, c.committed);
  }
}

TEST_F(ValueFieldTest, PostedKeysReachTheFieldAsTheirCharacters) {
  Open(0, 100, 50);
  for (UInt16 code : {kVK_ANSI_4, kVK_UpArrow, kVK_RightArrow, kVK_Return}) {
    PostHostKeyEvent(kEventRawKeyDown, code, 0, -1);
    PostHostKeyEvent(kEventRawKeyUp, code, 0, -1);
  }
  EventRecord event;
  while (GetNextEvent(keyDownMask, &event)) HandleValueFieldKeyIfActive(uint8_t(event.message & charCodeMask));
  EXPECT_EQ(gChanged, 15);  // 4, up +10, right +1
}

TEST_F(ValueFieldTest, CharactersTheFieldRefusesCommitAndAreLeftToTheCaller) {
  // A minus with minimum 0 and no dash display commits instead of starting a negative number.
  Open(0, 100, 50);
  EXPECT_EQ(Type("4"), 1);
  EXPECT_FALSE(HandleValueFieldKey('-'));
  EXPECT_FALSE(IsValueFieldActive());
  EXPECT_EQ(gChanged, 4);

  for (char refused : {'.', 'x', '\x1b'}) {  // a point in a whole-number field, a letter, Escape
    Open(0, 100, 50);
    EXPECT_FALSE(HandleValueFieldKey(uint8_t(refused)));
    EXPECT_FALSE(IsValueFieldActive());
    EXPECT_EQ(gChanged, 50);
  }
  EXPECT_FALSE(HandleValueFieldKeyIfActive('5'));  // no field: nothing happens
}

TEST_F(ValueFieldTest, ShownTextFollowsTheFieldKind) {
  Open(0, 100, 0, kValueFieldDashAtMinimum);
  EXPECT_EQ(FieldText(), "--");
  SetValueFieldNumber(7);
  EXPECT_EQ(FieldText(), "7");
  Open(-1000, 1000, 0, kValueFieldDecimal);
  SetValueFieldNumber(1205);
  EXPECT_EQ(FieldText(), "120.5");
  SetValueFieldNumber(-5);
  EXPECT_EQ(FieldText(), "-0.5");
}

TEST_F(ValueFieldTest, WithoutLimitCheckingKeysGoToTheKeyProcedure) {
  static std::string seen;
  seen.clear();
  Open(0, 100, 50);
  gValueField.limitCheck = 0;
  gValueField.keyProc = [](uint8_t ch) { seen += char(ch); };
  EXPECT_EQ(Type("a-1"), 3);
  EXPECT_EQ(seen, "a-1");
  EXPECT_EQ(FieldText(), "a-1");
  gValueField.keyProc = nullptr;
}

TEST_F(ValueFieldTest, TabCommitsWithItsBitClearAndTheAfterProcedureRunsOnce) {
  Open(0, 100, 50);
  gValueField.afterProc = CountAfter;
  Type("8\t");
  EXPECT_EQ(gChanged, 8);
  EXPECT_EQ(gFlagsSeenByChange & kValueFieldTabBit, 0u);
  EXPECT_NE(gFlagsSeenByChange, 0u);  // the change procedure still sees an active field
  EXPECT_EQ(gAfterCalls, 1);
  Open(0, 100, 50);
  Type("9\r");
  EXPECT_EQ(gAfterCalls, 0);  // not left behind for the next field
}

TEST_F(ValueFieldTest, CommitRestoresThePortAndTheScratchRect) {
  Open(0, 100, 50);
  Rect fieldScratch = gScratchRect;
  SetScratchRect(0, 0, 5, 5);
  Rect other{0, 0, 10, 10};
  WindowRef second = nullptr;
  Rect bounds{420, 100, 500, 300};
  ASSERT_EQ(CreateNewWindow(kDocumentWindowClass, 0, &bounds, &second), noErr);
  SetPortWindowPort(second);
  CommitValueFieldEdit();
  GrafPtr port = nullptr;
  GetPort(&port);
  EXPECT_EQ(port, GetWindowPort(second));
  EXPECT_EQ(std::memcmp(&gScratchRect, &fieldScratch, sizeof(Rect)), 0);
  (void)other;
  DisposeWindow(second);
}

TEST_F(ValueFieldTest, ABorrowedFieldKeepsWhatWasTyped) {
  Open(0, 100, 50);
  Type("42");
  gValueField.nested = 1;
  CommitValueFieldEdit();
  EXPECT_TRUE(IsValueFieldActive());
  EXPECT_EQ(gChangeCalls, 0);
  EXPECT_EQ(FieldText(), "42");
  gValueField.nested = 0;
  CommitValueFieldEdit();
  EXPECT_EQ(gChanged, 42);
}

TEST_F(ValueFieldTest, PollingKeepsTheEventBeingHandledAndLendsTheField) {
  Open(0, 100, 50);
  Type("3");
  gLastEvent = EventRecord{mouseDown, 77, 1234, Point{5, 6}, 0};
  EventRecord before = gLastEvent;
  PostEvent(mouseUp, 0);
  PollEvents(everyEvent);
  EXPECT_EQ(gLastEvent, before);
  PollUpdateEvents();
  EXPECT_EQ(gValueField.nested, 0);
  EXPECT_TRUE(IsValueFieldActive());
  EXPECT_EQ(FieldText(), "3");
}

TEST_F(ValueFieldTest, KeysThatNoMenuTakesReachTheActiveFieldThroughTheEventDispatcher) {
  Open(0, 100, 50);
  for (char ch : std::string("64")) {
    EventRecord key{keyDown, UInt32(uint8_t(ch)), 0, Point{0, 0}, 0};
    DispatchEventRecord(&key);
  }
  EXPECT_EQ(FieldText(), "64");
  EventRecord enter{keyDown, 3, 0, Point{0, 0}, 0};
  DispatchEventRecord(&enter);
  EXPECT_FALSE(IsValueFieldActive());
  EXPECT_EQ(gChanged, 64);
}

TEST_F(ValueFieldTest, TypedTextIsDrawnRightAlignedInTheField) {
  Open(0, 100, 50);
  Type("7");
  Point topLeft = Global(At(gValueField.rect.top, gValueField.rect.left));
  Point bottomRight = Global(At(gValueField.rect.bottom, gValueField.rect.right));
  int mid = (topLeft.h + bottomRight.h) / 2;
  int inkRight = 0, inkLeft = 0;
  for (int v = topLeft.v; v < bottomRight.v; ++v)
    for (int h = topLeft.h; h < bottomRight.h; ++h)
      (h >= mid ? inkRight : inkLeft) += ScreenPixel(h, v) != 0xFFFFFF ? 1 : 0;
  EXPECT_GT(inkRight, 0);
  EXPECT_EQ(inkLeft, 0);
}

}  // namespace
}  // namespace fields_test

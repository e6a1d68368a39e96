#include <gtest/gtest.h>

#include "platform/system/gestalt.h"

namespace {

class GestaltTest : public ::testing::Test {
 protected:
  void TearDown() override { ResetGestaltValuesForTesting(); }
};

enum class Check { kAbove, kAllBits, kEquals };

struct StartupCheck {
  const char* name;
  OSType selector;
  Check check;
  SInt32 operand;
};

// Each capability test the program makes of the system, as it makes it; all must pass.
const StartupCheck kStartupChecks[] = {
    {"system new enough to start", gestaltSystemVersion, Check::kAbove, 0x84F},
    {"MIDI object lookup by id", gestaltSystemVersion, Check::kAbove, 0x101F},
    {"plug-in search field", gestaltSystemVersion, Check::kAbove, 0x102F},
    {"endpoint display names, generic view", gestaltSystemVersion, Check::kAbove, 0x103F},
    {"colour drawing", gestaltQuickdrawVersion, Check::kAbove, 0xFF},
    {"drawing features bit 1", gestaltQuickdrawFeatures, Check::kAllBits, 0x2},
    {"hardware bits 0, 3, 4", gestaltHardwareAttr, Check::kAllBits, 0x19},
    {"sound bits 0x28", gestaltSoundAttr, Check::kAllBits, 0x28},
    {"sound bit 0x40", gestaltSoundAttr, Check::kAllBits, 0x40},
    {"Time Manager above 3", gestaltTimeMgrVersion, Check::kAbove, 3},
    {"Apple events", gestaltAppleEventsAttr, Check::kAllBits, 0x1},
    {"aliases", gestaltAliasMgrAttr, Check::kAllBits, 0x1},
    {"alias resolving without interaction", gestaltAliasMgrAttr, Check::kAllBits, 0x8},
    {"no virtual memory to hold", gestaltVMAttr, Check::kEquals, 0},
    {"ppcf bit 4", gestaltPPCToolboxAttr, Check::kAllBits, 0x10},
    {"media layer in use", gestaltQuickTimeVersion, Check::kAbove, 0x024FFFFF},
    {"media bit-rate property", gestaltQuickTimeVersion, Check::kAbove, 0x0703FFFF},
    {"cooperative threads", gestaltThreadMgrAttr, Check::kAllBits, 0x5},
    {"Appearance present", gestaltAppearanceAttr, Check::kAllBits, 0x1},
    {"Appearance 1.1 or later", gestaltAppearanceVersion, Check::kAbove, 0x10F},
    {"a script system", gestaltScriptCount, Check::kAbove, 0},
    {"window bits 1 and 2", gestaltWindowMgrAttr, Check::kAllBits, 0x6},
    {"drag handlers", gestaltDragMgrAttr, Check::kAllBits, 0x4},
    {"drag images", gestaltDragMgrAttr, Check::kAllBits, 0x8},
};

TEST_F(GestaltTest, EveryStartupCheckPasses) {
  for (const StartupCheck& item : kStartupChecks) {
    SCOPED_TRACE(item.name);
    SInt32 response = -1;
    ASSERT_EQ(Gestalt(item.selector, &response), noErr);
    switch (item.check) {
      case Check::kAbove: EXPECT_GT(response, item.operand); break;
      case Check::kAllBits: EXPECT_EQ(response & item.operand, item.operand); break;
      case Check::kEquals: EXPECT_EQ(response, item.operand); break;
    }
  }
}

TEST_F(GestaltTest, SystemVersionIsTenFourNine) {
  SInt32 response = 0;
  ASSERT_EQ(Gestalt(gestaltSystemVersion, &response), noErr);
  EXPECT_EQ(response, 0x1049);
}

TEST_F(GestaltTest, UnknownSelectorFailsAndLeavesResponseAlone) {
  SInt32 response = 12345;
  EXPECT_EQ(Gestalt(FourCC("zzzz"), &response), gestaltUndefSelectorErr);
  EXPECT_EQ(response, 12345);
  EXPECT_EQ(Gestalt(gestaltSystemVersion, nullptr), paramErr);
}

TEST_F(GestaltTest, ValuesCanBeAddedReplacedDeletedAndReset) {
  const OSType selector = FourCC("test");
  SInt32 response = 0;
  EXPECT_EQ(ReplaceGestaltValue(selector, 1), gestaltUndefSelectorErr);
  EXPECT_EQ(NewGestaltValue(selector, 7), noErr);
  EXPECT_EQ(NewGestaltValue(selector, 8), gestaltDupSelectorErr);
  ASSERT_EQ(Gestalt(selector, &response), noErr);
  EXPECT_EQ(response, 7);
  EXPECT_EQ(ReplaceGestaltValue(selector, 9), noErr);
  ASSERT_EQ(Gestalt(selector, &response), noErr);
  EXPECT_EQ(response, 9);
  EXPECT_EQ(DeleteGestaltValue(selector), noErr);
  EXPECT_EQ(DeleteGestaltValue(selector), gestaltUndefSelectorErr);
  EXPECT_EQ(Gestalt(selector, &response), gestaltUndefSelectorErr);

  // A test can make the system look old or take a capability away, then restore it all.
  SetGestaltValueForTesting(gestaltSystemVersion, 0x0800);
  SetGestaltValueForTesting(selector, 3);
  EXPECT_EQ(DeleteGestaltValue(gestaltAppearanceAttr), noErr);
  ASSERT_EQ(Gestalt(gestaltSystemVersion, &response), noErr);
  EXPECT_EQ(response, 0x0800);
  ResetGestaltValuesForTesting();
  ASSERT_EQ(Gestalt(gestaltSystemVersion, &response), noErr);
  EXPECT_EQ(response, 0x1049);
  EXPECT_EQ(Gestalt(gestaltAppearanceAttr, &response), noErr);
  EXPECT_EQ(Gestalt(selector, &response), gestaltUndefSelectorErr);
}

}  // namespace

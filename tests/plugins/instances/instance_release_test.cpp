// Releasing instances (the editor window hidden while only undo steps hold it, disposed when
// it closes; the other subsystems told and the lists redrawn), a bypass in a chain that holds
// a format converter, and the plug-in list marked changed by a format change.
#include "tests/plugins/instances/chain_fixture.h"

#include <cstdlib>
#include <vector>

#include "platform/windows/windows.h"
#include "plugins/host/plugin_host_hooks.h"
#include "plugins/library/plugin_list_state.h"
#include "tests/plugins/instances/component_entry.h"

namespace {

using instances_test::kDelayName;

std::vector<uint32_t> gForgotten;
int32_t gListRedraws = 0;

class InstanceReleaseTest : public ChainTest {
 protected:
  void SetUp() override {
    InitWindows();
    ChainTest::SetUp();
    saved_ = gPluginHostHooks;
    gForgotten.clear();
    gListRedraws = 0;
    gPluginHostHooks.forgetPluginInstance = [](uint32_t id) { gForgotten.push_back(id); };
    gPluginHostHooks.redrawPluginLists = [] { ++gListRedraws; };
  }
  void TearDown() override {
    ChainTest::TearDown();
    gPluginHostHooks = saved_;
  }
  WindowRef NewEditorWindow() {
    Rect bounds{40, 40, 240, 340};
    static const unsigned char kTitle[] = {6, 'E', 'd', 'i', 't', 'o', 'r'};
    return NewCWindow(nullptr, &bounds, kTitle, true, 0, reinterpret_cast<WindowRef>(-1), true, 0);
  }
  PluginHostHooks saved_{};
};

TEST_F(InstanceReleaseTest, AnUndoStepKeepsTheInstanceWithItsEditorHiddenUntilItLetsGo) {
  PluginInstance* a = Add(2, 2);
  uint32_t id = a->id;
  WindowRef editor = NewEditorWindow();
  ASSERT_NE(nullptr, editor);
  a->editorWindow = editor;
  Handle snapshot = TakeChainSnapshot(head_);
  int32_t closed = -1;
  head_ = RemoveChainPlugin(head_, &closed, 0, 0);
  EXPECT_EQ(0, closed);
  EXPECT_EQ(a, GetPluginInstance(id));
  EXPECT_TRUE(IsValidWindowPtr(editor));
  EXPECT_FALSE(IsWindowVisible(editor)) << "only the undo step holds it: out of sight";
  EXPECT_TRUE(gForgotten.empty());
  EXPECT_EQ(1, gListRedraws);

  DisposeChainSnapshot(snapshot, Handle());
  EXPECT_EQ(nullptr, GetPluginInstance(id));
  EXPECT_FALSE(IsValidWindowPtr(editor)) << "the window goes with the instance";
  EXPECT_EQ(std::vector<uint32_t>{id}, gForgotten);
  EXPECT_EQ(2, gListRedraws);
}

TEST_F(InstanceReleaseTest, AnEditorStaysShownWhileALiveChainHoldsTheInstance) {
  PluginInstance* a = Add(2, 2);
  WindowRef editor = NewEditorWindow();
  a->editorWindow = editor;
  AddPluginUse(a, 1);  // a second chain shows it too
  EXPECT_EQ(0, ReleasePluginInstance(a));
  EXPECT_TRUE(IsWindowVisible(editor));
  a->editorWindow = nullptr;
  DisposeWindow(editor);
}

TEST_F(InstanceReleaseTest, BypassBehindAFormatConverterIsTheConvertersAndKeepsThePluginRunning) {
  // A component at the head stands for the converter.
  int32_t index = instances_test::AppendComponentEntry(kDelayName, kPluginKindAuEffect, FourCC("tst1"));
  if (index < 0) GTEST_SKIP() << kDelayName << " is not installed";
  OSErr err = 1;
  OpenPluginInstance(nullptr, 512, &head_, index, 0, PluginInfoAt(index), kOpenQuietly, nullptr, 48000.0, &err);
  ASSERT_EQ(noErr, err);
  PluginInstance* converter = GetChainPlugin(head_, 0);
  PluginInstance* effect = Add(2, 2);
  converter->description.componentType = kAudioUnitType_FormatConverter;
  SetPluginBypass(effect, 1, 1);
  uint32_t bypassed = 0, size = sizeof bypassed;
  AudioUnitGetProperty(converter->unit, kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, &bypassed, &size);
  EXPECT_EQ(1u, bypassed) << "the converter's own bypass";
  EXPECT_EQ(1, GetBypassState(effect));
  EXPECT_EQ(1, FakeOf(effect).LastMains()) << "resumed, not suspended";
  PrepareChainPlugins(head_);
  EXPECT_EQ(1, FakeOf(effect).LastMains());
  SuspendRackPlugins(nullptr, head_);
  EXPECT_EQ(0, FakeOf(effect).LastMains()) << "a converted bypass is suspended with the chain";
  converter->description.componentType = 0;
}

TEST_F(InstanceReleaseTest, SettingTheFormatMarksThePluginListChanged) {
  PluginInstance* a = Add(2, 2);
  gPluginMenusStale = 0;
  uint32_t first = 3, second = 7, third = 0;
  EXPECT_EQ(1, AccessPluginFormat(a, 0 + 1, &first, &second, &third));
  EXPECT_EQ(1, gPluginMenusStale);
  gPluginMenusStale = 0;
  AccessPluginFormat(a, 0, &first, &second, &third);
  EXPECT_EQ(0, gPluginMenusStale) << "reading changes nothing";
}

}  // namespace

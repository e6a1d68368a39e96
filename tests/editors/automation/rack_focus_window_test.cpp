// The rack in focus of a track pane whose own chain is empty: the rack of the device whose
// plug-in shows in the front window, while that window is a plug-in editor window.
#include <gtest/gtest.h>

#include "editors/automation/automation_points.h"
#include "platform/memory/byte_order.h"
#include "platform/windows/windows.h"
#include "plugins/host/plugin_instance.h"
#include "plugins/plugin_host_commands.h"
#include "shell/windows/editor_panes.h"
#include "song/instruments/rack_automation_fields.h"
#include "song/instruments/rack_sharing.h"
#include "song/instruments/plugin_hooks.h"
#include "song/instruments/plugin_records.h"
#include "song/model/song_context.h"
#include "song/model/utility_track_access.h"
#include "song/model/song_layout.h"
#include "tests/plugins/devices/device_fixture.h"

namespace {

using device_test::DeviceTableTest;

class FrontPluginWindowFocus : public DeviceTableTest {
 protected:
  void SetUp() override {
    DisposeWindow(OpenWindow());  // the screen's own blocks are made with the first window
    windows_.clear();
    DeviceTableTest::SetUp();
  }
  void TearDown() override {
    ForgetAllPluginEditorWindows();
    for (WindowRef w : windows_) DisposeWindow(w);
    DeviceTableTest::TearDown();
  }
  WindowRef OpenWindow() {
    Rect bounds{40, 40, 140, 140};
    static const unsigned char kTitle[] = {6, 'E', 'd', 'i', 't', 'o', 'r'};
    WindowRef w = NewCWindow(nullptr, &bounds, kTitle, true, 0, reinterpret_cast<WindowRef>(-1), true, 0);
    windows_.push_back(w);
    return w;
  }
  std::vector<WindowRef> windows_;
};

TEST_F(FrontPluginWindowFocus, ATrackWithoutAChainFocusesTheFrontPluginWindowsDevice) {
  MakeSong(0, 2);
  Handle organ = GiveTrackRack(1, "Organ", 2);  // track 1 plays its plug-in device
  RebuildDeviceTable();
  SetCurrentTrackIndex(0);
  gCurrentPaneSlot = 0;
  uint8_t* cell = gCurrentTrack + kTrackInsertRack;
  ASSERT_EQ(ReadU32BE(cell), 0u);
  OSErr err;
  Handle own = EnsureInsertRack(cell, 44100.0f, false, &err);  // a rack without a chain
  ASSERT_TRUE(own);
  Handle before = GetFocusedPluginHandle();
  EXPECT_NE(before, organ);

  WindowRef editor = OpenWindow();
  GetPluginInstance(RackHead(organ))->editorWindow = editor;
  SelectWindow(editor);
  EXPECT_NE(GetFocusedPluginHandle(), organ) << "a window that is no plug-in editor window";
  ASSERT_GE(RegisterPluginEditorWindow(editor), 0);
  EXPECT_EQ(GetFocusedPluginHandle(), organ);
  AutomationListRef ref = GetFocusedAutomationListRef();
  EXPECT_EQ(ref.rack, own) << "a track pane's points stay on the track's own rack";

  SelectWindow(OpenWindow());
  EXPECT_EQ(GetFocusedPluginHandle(), before) << "another window in front";
  GetPluginInstance(RackHead(organ))->editorWindow = nullptr;
  WriteU32BE(cell, 0);
  DisposePluginRecord(own);
}

}  // namespace

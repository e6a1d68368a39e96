// Calls into a VST plug-in's own editor: the window grows to the editor when asked, the mouse
// is tracked with the application's flag set, and the plug-in's resource file is current
// during each call.
#include "tests/plugins/instances/chain_fixture.h"

#include "platform/files/files.h"
#include "platform/resources/resources.h"
#include "platform/windows/windows.h"
#include "plugins/host/plugin_editor_calls.h"
#include "shell/base/app_state.h"
#include "tests/test_support.h"

namespace {

class EditorCallsTest : public ChainTest {
 protected:
  void SetUp() override {
    InitWindows();
    ChainTest::SetUp();
  }
  void TearDown() override {
    ChainTest::TearDown();
    CloseAllResFiles();
  }
  PluginInstance* AddWithEditor() {
    PluginInstance* p = Add(2, 2);
    p->effect->flags |= kEffFlagsHasEditor;
    FakeOf(p).editorRect = ERect{0, 0, 180, 320};
    return p;
  }
  WindowRef NewEditorWindow() {
    Rect bounds{40, 40, 140, 140};
    static const unsigned char kTitle[] = {6, 'E', 'd', 'i', 't', 'o', 'r'};
    return NewCWindow(nullptr, &bounds, kTitle, true, 0, reinterpret_cast<WindowRef>(-1), true, 0);
  }
  static int16_t Width(WindowRef w) {
    Rect r;
    GetWindowPortBounds(w, &r);
    return int16_t(r.right - r.left);
  }
};

TEST_F(EditorCallsTest, TheWindowTakesTheEditorsSizeOnlyWhenAsked) {
  const struct {
    bool resize;
    int16_t width;
  } kCases[] = {{false, 100}, {true, 320}};
  for (const auto& c : kCases) {
    PluginInstance* p = AddWithEditor();
    WindowRef window = NewEditorWindow();
    ASSERT_EQ(0, OpenVstEditor(p, window, nullptr, c.resize));
    EXPECT_EQ(c.width, Width(window)) << c.resize;
    CloseVstEditor(p);
    DisposeWindow(window);
  }
}

TEST_F(EditorCallsTest, MouseTrackingAndThePluginsResourceFile) {
  zarin_test::TempFolder folder;
  auto open = [&](const char* name) {
    FSSpec spec;
    PathToSpec(folder.File(name), &spec);
    FSpCreateResFile(&spec, FourCC("test"), FourCC("rsrc"), -1);
    EXPECT_EQ(noErr, ResError());
    return FSpOpenResFile(&spec, 1);
  };
  SInt16 application = open("Application resources");
  SInt16 own = open("Plug-in resources");
  ASSERT_GT(application, 0);
  ASSERT_GT(own, 0);
  ASSERT_NE(own, application);
  UseResFile(application);

  PluginInstance* p = AddWithEditor();
  PluginInfoAt(int32_t(p->tableIndex))->resRefNum = own;
  WindowRef window = NewEditorWindow();
  OpenVstEditor(p, window, nullptr);
  EXPECT_EQ(own, FakeOf(p).resourceFileDuringEditor);
  EXPECT_EQ(application, CurResFile()) << "the application's file again after the call";
  VstEditorMouse(p, Point{10, 10});
  EXPECT_EQ(0x40, FakeOf(p).appStateDuringMouse & 0x40);
  EXPECT_EQ(0, gAppState[5] & 0x40);
  CloseVstEditor(p);
  DisposeWindow(window);
  PluginInfoAt(int32_t(p->tableIndex))->resRefNum = -1;
}

}  // namespace

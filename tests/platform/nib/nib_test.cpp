// Nib windows: the text read into windows and views, damaged texts refused with their line,
// the resource compiler's nib form, windows made from a nib with views found by id and their
// command ids, and a nib dialog answering clicks and keys with its commands.
#include <gtest/gtest.h>

#include "platform/memory/memory.h"
#include "platform/nib/nib_windows.h"
#include "tests/platform/controls/ui_test_support.h"

namespace {

using namespace ui_test;

constexpr const char* kTransposeNib = R"(
window "transp" {
  class movableModal
  attributes closeBox
  frame 100 80 360 200
  title "Transpose"
  view staticText { frame 20 20 100 16 text "Semitones:" font small }
  view editText { id 0 3 frame 130 20 60 16 text "0" }
  view littleArrows { id 0 4 frame 196 18 13 22 min -127 max 127 }
  view groupBox {
    frame 20 50 320 80 title "Range"
    view radioButton { id 0 5 command 5 frame 10 20 120 18 title "All" value 1 }
    view radioButton { id 0 6 command 6 frame 10 44 120 18 title "Selection" }
  }
  view pushButton { id 0 2 command 'not!' frame 180 160 70 20 title "Cancel" cancel }
  view pushButton { id 0 1 command 'ok  ' frame 270 160 70 20 title "OK" default }
}
window "other" { class document frame 10 40 100 100 title "Été" visible }
)";

TEST(NibText, WindowsAndViewsAreRead) {
  NibDocument doc;
  NibParseError error;
  ASSERT_TRUE(ParseNibText(kTransposeNib, &doc, &error)) << error.line << ": " << error.message;
  ASSERT_EQ(doc.windows.size(), 2u);
  const NibWindow& w = doc.windows[0];
  EXPECT_EQ(w.name, "transp");
  EXPECT_EQ(w.windowClass, kMovableModalWindowClass);
  EXPECT_EQ(w.attributes, kWindowCloseBoxAttribute | kWindowStandardHandlerAttribute);
  EXPECT_EQ(w.left, 100);
  EXPECT_EQ(w.width, 360);
  EXPECT_FALSE(w.visible);
  ASSERT_EQ(w.views.size(), 6u);
  EXPECT_EQ(w.views[0].themeFont, kThemeSmallSystemFont);
  EXPECT_EQ(w.views[2].minimum, -127);
  ASSERT_EQ(w.views[3].children.size(), 2u);
  EXPECT_EQ(w.views[3].children[1].command, 6u);
  EXPECT_EQ(w.views[5].command, kHICommandOK);
  EXPECT_TRUE(w.views[5].isDefault);
  EXPECT_TRUE(doc.windows[1].visible);
}

TEST(NibText, DamagedTextsAreRefusedWithTheirLine) {
  struct Case {
    const char* text;
    int line;
  } cases[] = {
      {"window \"a\" {\n class bogus\n}", 2},
      {"window \"a\" {\n frame 1 2 3\n}", 3},
      {"window \"a\" {\n frame 1 2 -3 4\n}", 2},
      {"window \"a\" {\n view slider { }\n}", 2},
      {"window \"a\" {\n view pushButton { view pushButton { } }\n}", 2},
      {"window \"a\" {\n view pushButton { id 'ab' 1 }\n}", 2},
      {"window \"a\" {\n view pushButton { title \"unclosed }\n}", 2},
      {"window \"a\" { }\nwindow \"a\" { }", 2},
      {"window \"a\" {\n view pushButton { value 99999999999 }\n}", 2},
      {"window \"a\" {\n view pushButton {", 2},
      {"windows \"a\" { }", 1},
      {"window \"a\" { title \"\xFF\xFE\" }", 1},
      {"window \"a\" { \x01 }", 1},
  };
  for (const Case& k : cases) {
    NibDocument doc;
    NibParseError error;
    EXPECT_FALSE(ParseNibText(k.text, &doc, &error)) << k.text;
    EXPECT_EQ(error.line, k.line) << k.text << ": " << error.message;
    EXPECT_FALSE(error.message.empty());
    EXPECT_TRUE(doc.windows.empty());
  }
  std::string deep = "window \"a\" { view groupBox {";
  for (int i = 0; i < 20; ++i) deep += " view groupBox {";
  deep += std::string(21, '}') + " }";
  NibDocument doc;
  EXPECT_FALSE(ParseNibText(deep, &doc, nullptr));
  std::string long_title = "window \"a\" { title \"" + std::string(300, 'x') + "\" }";
  EXPECT_FALSE(ParseNibText(long_title, &doc, nullptr));
}

class NibWindows : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    resources = std::make_unique<ScopedResources>(
        std::string("resource 'NIBT' 128 \"transp\" { nib {") + kTransposeNib + "} }\n" +
        "resource 'NIBT' 129 \"broken\" { text \"window {\" }\n");
  }
  void TearDown() override {
    resources.reset();
    UiTest::TearDown();
  }
  WindowRef Make(const char* window = "transp") {
    IBNibRef nib = nullptr;
    EXPECT_EQ(CreateNibReference(CFSTR("transp"), &nib), noErr);
    WindowRef w = nullptr;
    CFStringRef name = CFStringCreateWithUTF8(window);
    EXPECT_EQ(CreateWindowFromNib(nib, name, &w), noErr);
    CFRelease(name);
    DisposeNibReference(nib);
    Track(w);
    return w;
  }
  std::unique_ptr<ScopedResources> resources;
};

TEST_F(NibWindows, ViewsAreFoundByIdWithTheirCommandsAndPlaces) {
  WindowRef w = Make();
  ASSERT_NE(w, nullptr);
  EXPECT_FALSE(IsWindowVisible(w));
  Rect content;
  GetWindowBounds(w, kWindowContentRgn, &content);
  EXPECT_EQ(content, (Rect{80, 100, 280, 460}));
  Str255 title;
  GetWTitle(w, title);
  EXPECT_EQ(FromPString(title), "Transpose");
  struct Case {
    SInt32 id;
    OSType kind;
    UInt32 command;
    Rect bounds;
  } cases[] = {
      {1, kControlKindPushButton, kHICommandOK, Rect{160, 270, 180, 340}},
      {2, kControlKindPushButton, kHICommandCancel, Rect{160, 180, 180, 250}},
      {3, kControlKindEditText, 0, Rect{20, 130, 36, 190}},
      {4, kControlKindLittleArrows, 0, Rect{18, 196, 40, 209}},
      {6, kControlKindRadioButton, 6, Rect{94, 30, 112, 150}},  // inside the group box
  };
  for (const Case& k : cases) {
    HIViewRef view = nullptr;
    ASSERT_EQ(HIViewFindByID(HIViewGetRoot(w), HIViewID{0, k.id}, &view), noErr) << k.id;
    ControlKind kind;
    GetControlKind(view, &kind);
    EXPECT_EQ(kind.kind, k.kind) << k.id;
    UInt32 command = 0;
    GetControlCommandID(view, &command);
    EXPECT_EQ(command, k.command) << k.id;
    Rect bounds;
    GetControlBounds(view, &bounds);
    EXPECT_EQ(bounds, k.bounds) << k.id;
  }
  HIViewRef radio = nullptr, arrows = nullptr;
  HIViewFindByID(HIViewGetRoot(w), HIViewID{0, 5}, &radio);
  HIViewFindByID(HIViewGetRoot(w), HIViewID{0, 4}, &arrows);
  EXPECT_EQ(GetControl32BitValue(radio), 1);
  EXPECT_EQ(GetControl32BitMinimum(arrows), -127);
  HIViewRef none = nullptr;
  EXPECT_EQ(HIViewFindByID(HIViewGetRoot(w), HIViewID{0, 77}, &none), errUnknownControl);

  WindowRef other = Make("other");
  EXPECT_TRUE(IsWindowVisible(other));
  GetWTitle(other, title);
  EXPECT_EQ(FromPString(title), "\x83t\x8E");  // Mac Roman
}

TEST_F(NibWindows, MissingAndDamagedNibsAreReported) {
  IBNibRef nib = nullptr;
  EXPECT_EQ(CreateNibReference(CFSTR("nothing"), &nib), kIBCarbonRuntimeCantFindNibFile);
  EXPECT_EQ(nib, nullptr);
  EXPECT_EQ(CreateNibReference(CFSTR("broken"), &nib), kIBCarbonRuntimeNibDamaged);
  EXPECT_EQ(GetLastNibParseError().line, 1);
  ASSERT_EQ(CreateNibReference(CFSTR("transp"), &nib), noErr);
  WindowRef w = nullptr;
  EXPECT_EQ(CreateWindowFromNib(nib, CFSTR("missing"), &w), kIBCarbonRuntimeCantFindObject);
  EXPECT_EQ(w, nullptr);
  DisposeNibReference(nib);
}

struct Commands {
  std::vector<UInt32> ids;
  WindowRef window = nullptr;
};

OSStatus OnCommand(EventHandlerCallRef, EventRef event, void* data) {
  Commands* seen = static_cast<Commands*>(data);
  HICommand command;
  GetEventParameter(event, kEventParamDirectObject, typeHICommand, nullptr, sizeof command, nullptr, &command);
  seen->ids.push_back(command.commandID);
  if (command.commandID == kHICommandOK || command.commandID == kHICommandCancel)
    QuitAppModalLoopForWindow(seen->window);
  return noErr;
}

TEST_F(NibWindows, ANibDialogAnswersClicksAndKeysWithItsCommands) {
  WindowRef w = Make();
  Commands seen;
  seen.window = w;
  EventTypeSpec type{kEventClassCommand, kEventCommandProcess};
  InstallEventHandler(GetWindowEventTarget(w), OnCommand, 1, &type, &seen, nullptr);
  ShowWindow(w);
  SelectWindow(w);
  HIViewRef selection = nullptr, field = nullptr, ok = nullptr;
  HIViewFindByID(HIViewGetRoot(w), HIViewID{0, 6}, &selection);
  HIViewFindByID(HIViewGetRoot(w), HIViewID{0, 3}, &field);
  HIViewFindByID(HIViewGetRoot(w), HIViewID{0, 1}, &ok);
  ControlEditTextSelectionRec all{0, 32767};
  SetControlData(field, 0, kControlEditTextSelectionTag, sizeof all, &all);
  SetKeyboardFocus(w, field, kControlEditTextPart);
  PostClick(Global(w, ControlCenter(selection)));
  PostText("-5");
  PostClick(Global(w, ControlCenter(ok)));
  {
    ModalGuard guard;
    RunAppModalLoopForWindow(w);
  }
  EXPECT_EQ(seen.ids, (std::vector<UInt32>{6, kHICommandOK}));
  EXPECT_EQ(GetControl32BitValue(selection), 1);  // nib radio buttons set themselves
  char text[8] = {};
  Size size = 0;
  GetControlData(field, 0, kControlEditTextTextTag, sizeof text, text, &size);
  EXPECT_EQ(std::string(text, size_t(size)), "-5");
  seen.ids.clear();
  PostKey(kVK_Escape, kEscapeCharCode);
  {
    ModalGuard guard;
    RunAppModalLoopForWindow(w);
  }
  EXPECT_EQ(seen.ids, std::vector<UInt32>{kHICommandCancel});
}

TEST_F(NibWindows, TheResourceCompilerKeepsTheTextAsWritten) {
  Handle h = GetNamedResource(kNibResourceType, PStr("transp"));
  ASSERT_TRUE(h);
  std::string text(*h, size_t(GetHandleSize(h)));
  EXPECT_EQ(text, kTransposeNib);
  ResourceForkImage image;
  RezDiagnostic error;
  EXPECT_FALSE(CompileResourceSource("resource 'NIBT' 1 { nib { window \"a\" { } }", "x.r", ".", &image, &error));
  EXPECT_EQ(error.message, "'}' expected before the end of the file");
}

}  // namespace

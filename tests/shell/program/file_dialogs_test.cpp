// The program's file dialogs over the navigation dialog: the open dialog lists what the open
// dispatch would open (types by Finder info or by extension) and takes typed names, paths and
// the wheel; the save dialog adds the document extension to a new name and refuses to
// replace a file of another kind (error 44, reported), the save-as dialog's bundle check box
// answers in *choice, and every dialog answers a cancel with userCanceledErr.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "platform/events/host_input.h"
#include "platform/events/key_codes.h"
#include "platform/files/catalog.h"
#include "platform/files/file_locations.h"
#include "platform/navigation/nav_dialog.h"
#include "platform/quickdraw/quickdraw.h"
#include "platform/resources/resources.h"
#include "platform/windows/windows.h"
#include "shell/dialogs/dialog_alerts.h"
#include "song/dialogs/file_dialogs.h"
#include "song/documents/document_file.h"
#include "tests/platform/controls/ui_test_support.h"
#include "tests/test_support.h"

namespace {

std::function<void(DialogRef)> gInput;

void OnShown(DialogRef dialog, void*) {
  if (gInput) gInput(dialog);
}

void Key(UInt16 code, SInt16 ch, UInt32 modifiers = 0) {
  PostHostKeyEvent(kEventRawKeyDown, code, modifiers, ch);
  PostHostKeyEvent(kEventRawKeyUp, code, modifiers, ch);
}

void Type(const std::string& text) {
  for (char c : text) Key(kVK_ANSI_A, SInt16(UInt8(c)));
}

class FileDialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallDocumentDialogHooks();
    InstallErrorReportHooks();
    setenv("ZARIN_HEADLESS", "1", 1);
    unsetenv("ZARIN_NAV_REPLY");
    InitWindows();
    static SInt16 appResources = -1;  // the program's texts: titles, messages, check boxes
    if (appResources < 0) {
      ASSERT_EQ(OpenAppResourceFile(ZARIN_TEST_APP_RESOURCES, &appResources), noErr);
    }
    FlushEventQueue(GetMainEventQueue());
    for (const char* name : {"a.mid", "b.msd", "zz.txt"}) zarin_test::WriteWholeFile(folder.File(name), "x");
    FSSpec doc;
    PathToSpec(folder.File("doc"), &doc);
    FSpCreate(&doc, kProgramCreator, kSongDocumentType, 0);
    NavSetStartFolder(folder.path().c_str());
    NavSetDialogShownProc(OnShown, nullptr);
  }
  void TearDown() override {
    NavSetDialogShownProc(nullptr, nullptr);
    gInput = nullptr;
    FlushEventQueue(GetMainEventQueue());
  }
  zarin_test::TempFolder folder;
};

TEST_F(FileDialogs, OpenListsWhatTheOpenDispatchOpens) {
  const OSType types[] = {kSongDocumentType, FourCC("BSEQ"), FourCC("Midi"), kBundleDocumentType};
  struct Case {
    int downs;  // 0: Up from no selection takes the last entry
    std::string expect;
  } cases[] = {{1, "a.mid"}, {2, "b.msd"}, {0, "doc"}};  // zz.txt is no song and no MIDI file
  for (const Case& c : cases) {
    gInput = [c](DialogRef) {
      for (int i = 0; i < c.downs; ++i) Key(kVK_DownArrow, kDownArrowCharCode);
      if (c.downs == 0) Key(kVK_UpArrow, kUpArrowCharCode);
      Key(kVK_Return, kReturnCharCode);
    };
    ui_test::ModalGuard guard;
    FSSpec fileSpec;
    ASSERT_EQ(RunNavGetFileDialog(4, types, &fileSpec, kOpenDialogKind, 0), noErr);
    EXPECT_EQ(SpecToPath(&fileSpec), folder.File(c.expect));
    NavSetStartFolder(folder.path().c_str());
  }
}

// Typing a name selects the first entry that begins with it; a path typed in the field (from
// the shown folder, from the home folder with "~", or absolute) opens that file.
TEST_F(FileDialogs, TypedNamesSelectAndTypedPathsOpen) {
  mkdir(folder.File("sub").c_str(), 0755);
  zarin_test::WriteWholeFile(folder.File("sub/c.mid"), "x");
  const char* home = std::getenv("HOME");
  std::string savedHome = home ? home : "";
  setenv("HOME", folder.File("sub").c_str(), 1);
  const OSType types[] = {kSongDocumentType, FourCC("BSEQ"), FourCC("Midi")};
  struct Case {
    std::string typed;
    std::string expect;
  } cases[] = {{"B", "b.msd"}, {"sub/c.mid", "sub/c.mid"}, {"~/c.mid", "sub/c.mid"},
               {folder.File("a.mid"), "a.mid"}, {"sub", "sub/c.mid"}};
  for (const Case& c : cases) {
    gInput = [c](DialogRef) {
      Type(c.typed);
      Key(kVK_Return, kReturnCharCode);
      if (c.typed == "sub") Key(kVK_DownArrow, kDownArrowCharCode), Key(kVK_Return, kReturnCharCode);
    };
    ui_test::ModalGuard guard;
    FSSpec fileSpec;
    ASSERT_EQ(RunNavGetFileDialog(3, types, &fileSpec, kOpenDialogKind, 0), noErr) << c.typed;
    EXPECT_EQ(SpecToPath(&fileSpec), folder.File(c.expect)) << c.typed;
    NavSetStartFolder(folder.path().c_str());
  }
  setenv("HOME", savedHome.c_str(), 1);
}

// The mouse wheel over the list scrolls it three rows a step: a click on the first row
// shown then takes the fourth file.
TEST_F(FileDialogs, TheWheelScrollsTheList) {
  for (int i = 0; i < 30; ++i) zarin_test::WriteWholeFile(folder.File("f" + std::to_string(10 + i) + ".mid"), "x");
  gInput = [](DialogRef dialog) {
    Point at{SInt16(kNavListRect.top + 10), SInt16(kNavListRect.left + 40)};
    QDLocalToGlobalPoint(GetDialogPort(dialog), &at);
    PostHostWheelEvent(at, kEventMouseWheelAxisY, -1, 0);
    PostHostMouseEvent(kEventMouseDown, at, 1, 0);
    PostHostMouseEvent(kEventMouseUp, at, 1, 0);
    Key(kVK_Return, kReturnCharCode);
  };
  ui_test::ModalGuard guard;
  const OSType types[] = {FourCC("Midi")};
  FSSpec fileSpec;
  ASSERT_EQ(RunNavGetFileDialog(1, types, &fileSpec, kOpenDialogKind, 0), noErr);
  EXPECT_EQ(SpecToPath(&fileSpec), folder.File("f12.mid")) << "a.mid, f10, f11 scrolled away";
}

// A new name gets the document extension; a name that is there already is taken as typed.
TEST_F(FileDialogs, SaveReplacesOnlyAFileOfTheSameKind) {
  struct Case {
    std::string name;
    OSErr expect;
    std::string chosen;
  } cases[] = {{"New Song", noErr, "New Song.msd"}, {"doc", noErr, "doc"}, {"b.msd", noErr, "b.msd"},
               {"a.mid", 44, ""}, {"zz.txt", 44, ""}};
  for (const Case& c : cases) {
    gInput = [c](DialogRef) {
      Key(kVK_Delete, kBackspaceCharCode);
      Type(c.name);
      Key(kVK_Return, kReturnCharCode);
      Key(kVK_Return, kReturnCharCode);  // replaces a file that has the name
      Key(kVK_Return, kReturnCharCode);  // answers the alert about its kind, if one comes
    };
    ui_test::ModalGuard guard;
    int32_t alerts = CountAlertsShown();
    FSSpec fileSpec;
    bool bundle = true;
    const unsigned char untitled[] = "\010Untitled";
    EXPECT_EQ(ChooseSaveFile(kSongDocumentType, kSaveDialogKind, untitled, &fileSpec, &bundle), c.expect) << c.name;
    EXPECT_FALSE(bundle);
    EXPECT_EQ(CountAlertsShown() - alerts, c.expect == noErr ? 0 : 1) << c.name;
    if (c.expect == noErr) {
      EXPECT_EQ(SpecToPath(&fileSpec), folder.File(c.chosen));
    }
    FlushEventQueue(GetMainEventQueue());
  }
  // Nothing was written or changed by choosing.
  EXPECT_EQ(zarin_test::ReadWholeFile(folder.File("a.mid")), "x");
  struct stat st;
  EXPECT_NE(stat(folder.File("New Song.msd").c_str(), &st), 0);
}

TEST_F(FileDialogs, SaveAsAsksAboutABundleAndCancelAnswersUserCanceled) {
  gInput = [](DialogRef dialog) {
    DialogItemType type;
    DialogItemHandle handle;
    Rect box;
    GetDialogItem(dialog, kNavChoiceItem, &type, &handle, &box);
    Point at{SInt16((box.top + box.bottom) / 2), SInt16(box.left + 8)};
    QDLocalToGlobalPoint(GetDialogPort(dialog), &at);
    PostHostMouseEvent(kEventMouseDown, at, 1, 0);
    PostHostMouseEvent(kEventMouseUp, at, 1, 0);
    Key(kVK_Return, kReturnCharCode);
  };
  ui_test::ModalGuard guard;
  FSSpec fileSpec;
  bool bundle = false;
  const unsigned char name[] = "\004Song";
  ASSERT_EQ(ChooseSaveFile(kSongDocumentType, kSaveAsBundleDialogKind, name, &fileSpec, &bundle), noErr);
  EXPECT_TRUE(bundle);
  EXPECT_EQ(SpecToPath(&fileSpec), folder.File("Song.msd"));

  gInput = [](DialogRef) { Key(kVK_Escape, kEscapeCharCode); };
  const OSType types[] = {FourCC("Midi")};
  EXPECT_EQ(RunNavGetFileDialog(1, types, &fileSpec, kOpenDialogKind, 0), userCanceledErr);
  EXPECT_EQ(ChooseSaveFile(kSongDocumentType, kSaveDialogKind, name, &fileSpec, &bundle), userCanceledErr);
  EXPECT_EQ(NavChooseFolderDialog(&fileSpec, 7), userCanceledErr);
}

}  // namespace

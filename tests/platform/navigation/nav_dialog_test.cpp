// The file dialogs on posted input: browsing folders by keys, double-clicks and the
// enclosing-folder button, choosing, cancelling, save names, the check box, choosing a
// folder, and answers scripted through ZARIN_NAV_REPLY.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "platform/files/catalog.h"
#include "platform/files/file_locations.h"
#include "platform/navigation/nav_dialog.h"
#include "platform/system/sys_beep.h"
#include "tests/platform/controls/ui_test_support.h"

namespace {

using namespace ui_test;

constexpr OSType kMidi = FourCC("Midi");

std::function<void(DialogRef)> gOnShown;
int gShownCount = 0;

void OnShown(DialogRef dialog, void*) {
  ++gShownCount;
  if (gOnShown) gOnShown(dialog);
}

class NavDialogs : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    unsetenv("ZARIN_NAV_REPLY");
    for (const char* f : {"alpha", "Beta"}) mkdir(root.File(f).c_str(), 0755);
    for (const char* f : {"song.mid", "notes.txt", "alpha/inner.mid", "Beta/b.mid", "Beta/c.mid"})
      zarin_test::WriteWholeFile(root.File(f), "x");
    NavSetStartFolder(root.path().c_str());
    NavSetDialogShownProc(OnShown, nullptr);
    gShownCount = 0;
  }
  void TearDown() override {
    NavSetDialogShownProc(nullptr, nullptr);
    gOnShown = nullptr;
    UiTest::TearDown();
  }
  // Runs the open dialog over MIDI files; the chosen path, or "" when it was cancelled.
  std::string Open(std::function<void(DialogRef)> input, OSErr expect = noErr) {
    gOnShown = std::move(input);
    ModalGuard guard;
    NavReplyRecord reply;
    const OSType types[] = {kMidi};
    EXPECT_EQ(NavGetFile(nullptr, &reply, nullptr, types, 1, nullptr, nullptr), expect);
    return Chosen(&reply);
  }
  std::string Chosen(NavReplyRecord* reply) {
    FSSpec fileSpec;
    std::string path = reply->validRecord && AEGetNthFSSpec(&reply->selection, 1, &fileSpec) == noErr
                           ? SpecToPath(&fileSpec) : "";
    NavDisposeReply(reply);
    return path;
  }
  zarin_test::TempFolder root;
};

Point ItemPoint(DialogRef dialog, DialogItemIndex item) {
  DialogItemType type;
  DialogItemHandle handle;
  Rect box;
  GetDialogItem(dialog, item, &type, &handle, &box);
  return Global(GetDialogWindow(dialog), Center(box));
}

Point RowPoint(DialogRef dialog, int row) {
  Point local{SInt16(kNavListRect.top + 1 + row * kNavRowHeight + kNavRowHeight / 2), SInt16(kNavListRect.left + 40)};
  return Global(GetDialogWindow(dialog), local);
}

void DoubleClick(DialogRef dialog, int row) {
  PostClick(RowPoint(dialog, row));
  PostClick(RowPoint(dialog, row));
}

TEST_F(NavDialogs, BrowsesByKeysAndStartsWhereItLastEnded) {
  // alpha/, Beta/, song.mid (notes.txt is filtered out): Down selects alpha, Return enters it.
  std::string chosen = Open([](DialogRef dialog) {
    EXPECT_GT(CountDark(GetDialogWindow(dialog), kNavListRect), 0);  // the names are drawn
    PostKey(kVK_DownArrow, kDownArrowCharCode);
    PostKey(kVK_Return, kReturnCharCode);
    PostKey(kVK_DownArrow, kDownArrowCharCode);
    PostKey(kVK_Return, kReturnCharCode);
  });
  EXPECT_EQ(chosen, root.File("alpha/inner.mid"));
  // The next dialog starts in alpha; Command-up goes back with alpha selected.
  chosen = Open([](DialogRef) {
    PostKey(kVK_UpArrow, kUpArrowCharCode, cmdKey);
    PostKey(kVK_DownArrow, kDownArrowCharCode);
    PostKey(kVK_DownArrow, kDownArrowCharCode);
    PostKey(kVK_Return, kReturnCharCode);
  });
  EXPECT_EQ(chosen, root.File("song.mid"));
}

TEST_F(NavDialogs, DoubleClicksAndTheEnclosingFolderButton) {
  std::string chosen = Open([](DialogRef dialog) {
    DoubleClick(dialog, 1);  // Beta/
    DoubleClick(dialog, 1);  // Beta/c.mid
  });
  EXPECT_EQ(chosen, root.File("Beta/c.mid"));
  chosen = Open([](DialogRef dialog) {
    PostClick(ItemPoint(dialog, kNavUpItem));  // from Beta to the root, Beta selected
    PostKey(kVK_DownArrow, kDownArrowCharCode);
    PostClick(ItemPoint(dialog, kNavDefaultItem));
  });
  EXPECT_EQ(chosen, root.File("song.mid"));
  // A single click and Open with nothing chosen yet does not end the dialog.
  ResetSysBeepCountForTesting();
  NavSetStartFolder(root.path().c_str());
  chosen = Open([](DialogRef dialog) {
    PostClick(ItemPoint(dialog, kNavDefaultItem));
    PostClick(RowPoint(dialog, 2));
    PostClick(ItemPoint(dialog, kNavDefaultItem));
  });
  EXPECT_EQ(chosen, root.File("song.mid"));
  EXPECT_EQ(GetSysBeepCount(), 1u);
}

TEST_F(NavDialogs, TheScrollBarPagesThroughALongFolder) {
  mkdir(root.File("many").c_str(), 0755);
  for (int i = 0; i < 30; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "many/f%02d.mid", i);
    zarin_test::WriteWholeFile(root.File(name), "x");
  }
  NavSetStartFolder(root.File("many").c_str());
  std::string chosen = Open([](DialogRef dialog) {
    // A page down (below the thumb, above the arrow), then the first row shown.
    Point page{SInt16(kNavScrollBarRect.bottom - 30), SInt16((kNavScrollBarRect.left + kNavScrollBarRect.right) / 2)};
    PostClick(Global(GetDialogWindow(dialog), page));
    PostClick(RowPoint(dialog, 0));
    PostKey(kVK_Return, kReturnCharCode);
  });
  constexpr int kRowsShown = (kNavListRect.bottom - kNavListRect.top - 2) / kNavRowHeight;
  char expect[16];
  std::snprintf(expect, sizeof expect, "f%02d.mid", kRowsShown - 1);
  EXPECT_EQ(chosen, root.File(std::string("many/") + expect));
}

TEST_F(NavDialogs, CancelAnswersUserCanceled) {
  struct Case {
    UInt16 key;
    SInt16 ch;
    UInt32 modifiers;
  } keys[] = {{kVK_Escape, kEscapeCharCode, 0}, {kVK_ANSI_Period, '.', cmdKey}};
  for (const Case& k : keys)
    EXPECT_EQ(Open([k](DialogRef) { PostKey(k.key, k.ch, k.modifiers); }, userCanceledErr), "");
  EXPECT_EQ(Open([](DialogRef d) { PostClick(ItemPoint(d, kNavCancelItem)); }, userCanceledErr), "");
  EXPECT_EQ(gShownCount, 3);
}

TEST_F(NavDialogs, SaveTakesTheNameFieldAndAsksBeforeReplacing) {
  // keys after the name: R Return, E Escape. A refused name keeps the dialog (Escape then
  // cancels it); a taken name brings the replace alert (Return replaces, Escape goes back).
  struct Case {
    std::string typed;
    std::string keys;
    std::string expect;  // "" : cancelled
    bool replacing;
  } cases[] = {{"Song 1", "R", "Song 1", false},  {"song.mid", "RR", "song.mid", true},
               {"song.mid", "REE", "", false},    {"a:b", "RE", "", false},
               {"alpha", "RE", "", false},        {"", "RE", "", false}};
  for (const Case& c : cases) {
    NavDialogOptions options;
    NavGetDefaultDialogOptions(&options);
    options.savedFileName[0] = 8;
    std::memcpy(options.savedFileName + 1, "Untitled", 8);
    gOnShown = [c](DialogRef) {
      PostKey(kVK_Delete, kBackspaceCharCode);  // the whole default name is selected
      PostText(c.typed);
      for (char k : c.keys) {
        if (k == 'R') PostKey(kVK_Return, kReturnCharCode);
        else PostKey(kVK_Escape, kEscapeCharCode);
      }
    };
    ModalGuard guard;
    NavReplyRecord reply;
    OSErr err = NavPutFile(nullptr, &reply, &options, kMidi, FourCC("V|ov"));
    std::string label = c.typed + " " + c.keys;
    EXPECT_EQ(err, c.expect.empty() ? userCanceledErr : noErr) << label;
    EXPECT_EQ(reply.replacing, c.replacing) << label;
    EXPECT_EQ(Chosen(&reply), c.expect.empty() ? "" : root.File(c.expect)) << label;
    EXPECT_EQ(FrontNonFloatingWindow(), nullptr) << label;  // neither dialog nor alert is left
    ResetInput();
  }
  EXPECT_EQ(zarin_test::ReadWholeFile(root.File("song.mid")), "x");
  // The check box's state comes back in the reply.
  NavDialogOptions options;
  std::memcpy(options.choiceLabel, "\006Bundle", 7);
  gOnShown = [](DialogRef d) {
    PostClick(ItemPoint(d, kNavChoiceItem));
    PostText("x");
    PostKey(kVK_Return, kReturnCharCode);
  };
  ModalGuard guard;
  NavReplyRecord reply;
  ASSERT_EQ(NavPutFile(nullptr, &reply, &options, kMidi, 0), noErr);
  EXPECT_TRUE(reply.choice);
  EXPECT_EQ(Chosen(&reply), root.File("x"));
}

TEST_F(NavDialogs, ChoosesTheSelectedOrTheShownFolder) {
  auto choose = [this](std::function<void(DialogRef)> input) {
    gOnShown = std::move(input);
    ModalGuard guard;
    NavReplyRecord reply;
    EXPECT_EQ(NavChooseFolder(nullptr, &reply, nullptr), noErr);
    return Chosen(&reply);
  };
  EXPECT_EQ(choose([](DialogRef) {
              PostKey(kVK_DownArrow, kDownArrowCharCode);
              PostKey(kVK_DownArrow, kDownArrowCharCode);
              PostKey(kVK_Return, kReturnCharCode);
            }),
            root.File("Beta"));
  NavSetStartFolder(root.path().c_str());
  EXPECT_EQ(choose([](DialogRef d) { DoubleClick(d, 0), PostKey(kVK_Return, kReturnCharCode); }),
            root.File("alpha"));
}

TEST_F(NavDialogs, ScriptedAnswersAreTakenInOrderThenTheDialogShows) {
  std::string script = root.File("song.mid") + ";-;" + root.File("New Song") + ";" + root.File("alpha") + ";";
  zarin_test::ScopedEnv env("ZARIN_NAV_REPLY", script);
  EXPECT_EQ(Open(nullptr), root.File("song.mid"));
  EXPECT_EQ(Open(nullptr, userCanceledErr), "");
  NavReplyRecord reply;
  ASSERT_EQ(NavPutFile(nullptr, &reply, nullptr, kMidi, 0), noErr);
  EXPECT_FALSE(reply.replacing);
  EXPECT_EQ(Chosen(&reply), root.File("New Song"));
  EXPECT_EQ(Open(nullptr, fnfErr), "");  // a folder is no answer to an open dialog
  EXPECT_EQ(gShownCount, 0);
  EXPECT_EQ(Open([](DialogRef) { PostKey(kVK_Escape, kEscapeCharCode); }, userCanceledErr), "");
  EXPECT_EQ(gShownCount, 1);
}

}  // namespace

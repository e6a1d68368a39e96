// A real plug-in in a rack, on the null device's WAV capture: chosen from the slot's pop-up,
// bypassed and moved, each step heard as it says.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "mixer/menus/mixer_menus.h"
#include "mixer/menus/plugin_moves.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/insert_racks.h"
#include "plugins/library/insert_menu.h"
#include "plugins/library/plugin_discovery.h"
#include "plugins/library/plugin_examination.h"
#include "plugins/library/plugin_loading.h"
#include "shell/base/preferences_file.h"
#include "shell/base/resource_files.h"
#include "plugins/library/plugin_table.h"
#include "platform/resources/resource_files.h"
#include "platform/resources/resources.h"
#include "song/instruments/plugin_records.h"
#include "tests/plugins/library/plugin_test_folders.h"
#include "tests/plugins/render/render_capture_fixture.h"

namespace {

using namespace render_test;

const char* kLspFolder = "/usr/lib/vst/lsp-plugins";
const char* kDelay = "comp-delay-mono.so";
constexpr int32_t kDelaySamples = 3;  // the delay's parameter: samples
constexpr int32_t kDelayGain = 10;    // and its output gain

class RackCapture : public EffectCapture {
 protected:
  void SetUp() override {
    EffectCapture::SetUp();
    UsePluginTestFolders(home_, prefs_, homeEnv_, vstEnv_);
    ASSERT_EQ(noErr, OpenAppResourceFile(ZARIN_TEST_APP_RESOURCES, &resources_));
    StopPluginExaminations();
    ResetPluginTable();
  }
  void TearDown() override {
    if (rack_) ReleaseChainPlugins(GetRackChainHead(rack_));
    EffectCapture::TearDown();
    StopPluginExaminations();
    ResetPluginTable();
    if (resources_ != -1) CloseResFile(resources_);
  }
  // The table of plug-ins from a folder holding the delay (and the library it loads); its
  // entry's index, -1 when the delay is not installed.
  int32_t FindDelay() {
    std::error_code error;
    for (const char* name : {kDelay, "lsp-plugins-vst2-1.2.5.so"})
      std::filesystem::create_symlink(std::string(kLspFolder) + "/" + name, folder_.File(name), error);
    if (!std::filesystem::exists(std::string(kLspFolder) + "/" + kDelay)) return -1;
    FoundPlugin found;
    EXPECT_EQ(noErr, EnumerateBundlesInFolder(false, &found, folder_.path(), nullptr));
    ExamineNewPlugins(0);
    EXPECT_TRUE(WaitForPluginExaminations(120000));
    for (int32_t i = 0; i < CountPlugins(); ++i)
      if (std::string(PluginInfoAt(i)->path).find(kDelay) != std::string::npos && PluginInfoAt(i)->failure == noErr) return i;
    return -1;
  }
  // The slot's pop-up, the entry's item (in the menu or its category's submenu) handed in as
  // the choice.
  OSErr Choose(int32_t slot, int32_t entry) {
    MenuRef menu = BuildInsertMenu(rack_, slot, kPluginClassEffect);
    MenuRef chosenMenu = nullptr;
    int16_t chosen = 0;
    auto find = [&](MenuRef in, MenuItemIndex first) {
      for (MenuItemIndex item = first; item <= CountMenuItems(in); ++item) {
        URefCon ref = 0;
        MenuRef sub = nullptr;
        GetMenuItemHierarchicalMenu(in, item, &sub);
        if (!sub && GetMenuItemRefCon(in, item, &ref) == noErr && int32_t(ref) == entry) {
          chosenMenu = in;
          chosen = int16_t(item);
        }
      }
    };
    find(menu, kInsertFirstPluginItem);
    for (MenuItemIndex item = kInsertFirstPluginItem; item <= CountMenuItems(menu); ++item) {
      MenuRef sub = nullptr;
      if (GetMenuItemHierarchicalMenu(menu, item, &sub) == noErr && sub) find(sub, 1);
    }
    EXPECT_NE(0, chosen) << "the delay is listed";
    OSErr err = chosen ? HandleInsertMenuChoice(chosenMenu, rack_, slot, chosen) : paramErr;
    DisposeInsertMenu(menu);
    return err;
  }
  PluginInstance* Slot(int32_t n) { return GetChainPlugin(GetRackChainHead(rack_), n); }
  // Sets a slot's delay; its length in samples.
  int32_t SetDelay(int32_t n, float value, float gain) {
    PluginInstance* p = Slot(n);
    p->effect->setParameter(p->effect, kDelaySamples, value);
    p->effect->setParameter(p->effect, kDelayGain, gain);
    return std::stoi(ParameterDisplay(p, kDelaySamples));
  }
  // The ramp through the rack's chain, from its head, with nothing in the way.
  void HearDry() {
    size_t start = 0;
    std::vector<float> heard = PlayRamp(Slot(0), 60, &start);
    ASSERT_LT(start + kProbeAt + kProbeLength, heard.size());
    dryAt_ = int64_t(start) + kProbeAt;
    dry_.assign(heard.begin() + dryAt_, heard.begin() + dryAt_ + kProbeLength);
  }
  // The samples by which the chain delays the ramp now: the fit of the dry ramp's piece
  // (scaled) is exact only at the right shift. The delays keep the end of a pass in their
  // lines, so the piece is taken well after the start.
  int64_t Delay(int64_t expected) {
    size_t start = 0;
    std::vector<float> heard = PlayRamp(Slot(0), 60, &start);
    double residual = 1.0;
    int32_t shift = BestShift(heard, dryAt_ + expected, dry_, kProbeLength, &residual);
    EXPECT_LT(residual, 1e-6) << "the ramp is heard whole";
    return expected + shift;
  }
  static constexpr int64_t kProbeAt = 3000;
  static constexpr size_t kProbeLength = 200;
  int64_t dryAt_ = 0;
  std::vector<float> dry_;
  zarin_test::TempFolder folder_, home_, prefs_;
  std::unique_ptr<zarin_test::ScopedEnv> homeEnv_, vstEnv_;
  Handle rack_;
  SInt16 resources_ = -1;
};

TEST_F(RackCapture, APlugInFromTheMenuIsHeardBypassedAndMovedInItsRack) {
  Open(256);
  gTransportSong = MakeSong({Track({})}, {});
  int32_t delay = FindDelay();
  if (delay < 0) GTEST_SKIP() << "the lsp compensation delay is not installed";
  rack_ = NewHandleClear(kPluginRecordBytes);
  ASSERT_EQ(noErr, Choose(0, delay));
  ASSERT_EQ(1, CountChainPlugins(GetRackChainHead(rack_)));
  Slot(0)->bypass = 1;
  HearDry();
  int32_t first = SetDelay(0, 0.05f, 1.0f);
  Slot(0)->bypass = 0;
  EXPECT_EQ(first, Delay(first)) << "inserted: the ramp comes later by its delay";

  ASSERT_EQ(noErr, Choose(1, delay)) << "a new slot appends";
  ASSERT_EQ(2, CountChainPlugins(GetRackChainHead(rack_)));
  int32_t second = SetDelay(1, 0.02f, 1.0f);
  ASSERT_NE(first, second);
  EXPECT_EQ(first + second, Delay(first + second)) << "both delays in turn";

  SetPluginBypass(Slot(0), 1, 0);
  EXPECT_EQ(second, Delay(second)) << "the first bypassed";

  uint32_t bypassed = Slot(0)->id;
  ASSERT_EQ(noErr, MoveRackPlugin(rack_, 0, 1));
  ASSERT_EQ(bypassed, Slot(1)->id);
  EXPECT_EQ(second, Delay(second)) << "moved: the chain plays from its new head";
  SetPluginBypass(Slot(1), 0, 0);
  EXPECT_EQ(first + second, Delay(first + second)) << "both again, in the new order";

  MenuRef menu = BuildInsertMenu(rack_, 0, kPluginClassEffect);
  ASSERT_EQ(noErr, HandleInsertMenuChoice(menu, rack_, 0, kInsertItemRemove));
  DisposeInsertMenu(menu);
  ASSERT_EQ(1, CountChainPlugins(GetRackChainHead(rack_)));
  EXPECT_EQ(first, Delay(first)) << "the slot's plug-in removed";
}

// A colour chosen for one plug-in colours it at once and becomes its category's: a plug-in of
// that category loaded later without a colour takes it, one already in the rack keeps its own.
TEST_F(RackCapture, AChosenColourIsTheCategorysForLaterLoads) {
  if (gPrefsResFile != -1) CloseResFileUseApp(gPrefsResFile);
  gPrefsResFile = -1;
  ForgetPrefsFileSpec();
  ASSERT_EQ(noErr, OpenPrefsResFile(fsRdWrPerm));
  int32_t delay = FindDelay();
  if (delay < 0) GTEST_SKIP() << "the lsp compensation delay is not installed";
  PluginInfoAt(delay)->category = 6;
  rack_ = NewHandleClear(kPluginRecordBytes);
  MenuRef menu = BuildInsertMenu(rack_, 0, kPluginClassEffect);
  MenuRef sub = nullptr;
  ASSERT_EQ(noErr, GetMenuItemHierarchicalMenu(menu, kInsertFirstPluginItem, &sub));
  ASSERT_NE(nullptr, sub) << "the plug-ins of a category have a submenu";
  EXPECT_EQ(kInsertFirstCategoryMenuId, GetMenuID(sub));
  DisposeInsertMenu(menu);
  ASSERT_EQ(noErr, Choose(0, delay));
  ASSERT_EQ(noErr, Choose(1, delay));
  Slot(1)->colourIndex = 2;
  EXPECT_EQ(0, HandlePluginContextChoice(Slot(0), kPluginColourMenuId, 5));
  EXPECT_EQ(5, Slot(0)->colourIndex);
  EXPECT_EQ(5, GetCategoryColour(6));
  ASSERT_EQ(noErr, Choose(2, delay));
  EXPECT_EQ(5, Slot(2)->colourIndex) << "a later load takes its category's colour";
  EXPECT_EQ(2, Slot(1)->colourIndex) << "one in the rack keeps its own";
  CloseResFileUseApp(gPrefsResFile);
  gPrefsResFile = -1;
}

}  // namespace

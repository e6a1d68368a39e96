// The mixer window on a song: the selection and the racks it names, and clicks on the rows
// of a rack of plug-ins (made in the test), drawn into an offscreen port.
#include <gtest/gtest.h>

#include <cstring>
#include <deque>

#include "editing/context_delete_hooks.h"
#include "plugins/host/plugin_instance.h"
#include "mixer/window/mixer_clicks.h"
#include "mixer/window/mixer_drawing.h"
#include "mixer/window/mixer_header.h"
#include "mixer/window/mixer_layout.h"
#include "mixer/window/mixer_rows.h"
#include "mixer/window/mixer_selection.h"
#include "platform/memory/byte_order.h"
#include "platform/quickdraw/quickdraw.h"
#include "platform/resources/resources.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/insert_racks.h"
#include "plugins/host/plugin_instances.h"
#include "plugins/library/plugin_table.h"
#include "shell/base/event_records.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/rack_automation_fields.h"
#include "song/instruments/rack_sharing.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/utility_track_access.h"
#include "song/undo/undo_ring.h"
#include "tests/plugins/instances/fake_effect.h"
#include "tests/song/documents/document_fixture.h"

namespace {

uint8_t* TrackCell(int32_t t) {
  SetCurrentTrackIndex(t);
  return gCurrentTrack + kTrackInsertRack;
}

class MixerRackTest : public doc_test::DocumentTest {
 protected:
  void SetUp() override {
    DocumentTest::SetUp();
    MakeSong(0, 3);
    ASSERT_EQ(noErr, CreateInstrumentTable(2, 0));
    ASSERT_EQ(noErr, SetAuxBusCount(2, 19, 0, false));
    for (int32_t t = 0; t < 3; ++t) {
      OSErr err;
      ASSERT_NE(Handle(), EnsureInsertRack(TrackCell(t), 44100.0f, false, &err));
    }
    for (int32_t i = 0; i < gInstrumentCount + gAuxBusCount + 1; ++i) {
      OSErr err;
      ASSERT_NE(Handle(), EnsureInsertRack(GetInstrumentRecord(i) + kInstInsertRack, 44100.0f, false, &err));
    }
    SetCurrentTrackIndex(0);
    gMixerExpanded = 0;
  }
  void TearDown() override {
    ReleaseChainPlugins(head_);
    ResetPluginTable();
    DisposeInstrumentTable();
    DocumentTest::TearDown();
  }
  static Handle RackIn(const uint8_t* cell) { return cell ? Handle(ReadU32BE(cell)) : Handle(); }

  // Track 1's rack gets plug-ins of `parameters` parameters each, the selection shows it.
  void FillTrackRack(std::initializer_list<VstInt32> parameters) {
    ResetPluginTable();
    int32_t index = AppendVstInfo(0x10, 0);
    for (VstInt32 p : parameters) {
      fakes_.emplace_back(2, 2, VstInt32(0x100 + fakes_.size()));
      fakes_.back().effect.numParams = p;
      ASSERT_NE(0u, OpenPluginInstance(nullptr, 512, &head_, index, 0, PluginInfoAt(index), kOpenQuietly,
                                       &fakes_.back().effect, 44100.0));
    }
    SetRackChainHead(RackIn(TrackCell(1)), head_);
    SetCurrentTrackIndex(0);
    StoreMixerSelection(kMixerSelectsTrack, 1);
  }
  void ClickAt(Point p, uint16_t modifiers = 0) {
    gLastEvent.modifiers = modifiers;
    gLastMousePoint = p;
    HandleMixerClick(1);
    gLastEvent.modifiers = 0;
  }
  static Point Centre(const Rect& r) { return Point{int16_t((r.top + r.bottom) / 2), int16_t((r.left + r.right) / 2)}; }
  int16_t RowTop(int32_t row) {
    MixerRows rows;
    CollectMixerRows(&rows);
    return MixerRowTopOf(rows, row);
  }

  std::deque<FakeEffect> fakes_;
  uint32_t head_ = 0;
};

TEST_F(MixerRackTest, ASongWithoutASelectionShowsItsCurrentTrack) {
  SetCurrentTrackIndex(2);
  ASSERT_EQ(0, ReadU16BE(gCurrentSong + kSongSelectionKind));
  EXPECT_EQ(kMixerSelectsTrack, GetMixerSelectionKind());
  EXPECT_EQ(gCurrentTrack[kTrackNumber], GetMixerSelectionItem());
  EXPECT_EQ(kMixerSelectsTrack, ReadU16BE(gCurrentSong + kSongSelectionKind)) << "stored";
  EXPECT_EQ(RackIn(gCurrentTrack + kTrackInsertRack), GetMixerSelectedRack());
}

TEST_F(MixerRackTest, TheSelectionNamesItsChannelsRack) {
  uint8_t trackNumber = TrackCell(2)[kTrackNumber - kTrackInsertRack];
  Handle trackRack = RackIn(TrackCell(2));
  SetCurrentTrackIndex(0);
  struct Case {
    int32_t kind, item;
    Handle rack;
  } cases[] = {
      {kMixerSelectsTrack, trackNumber, trackRack},
      {kMixerSelectsTrackToo, trackNumber, trackRack},
      {kMixerSelectsAuxBus, 1, RackIn(GetInstrumentRecord(gInstrumentCount) + kInstInsertRack)},
      {kMixerSelectsAuxBus, 3, RackIn(GetMasterEntry() + kInstInsertRack)},  // the master
      {kMixerSelectsAuxBus, 4, Handle()},
      {kMixerSelectsInstrument, 1, RackIn(GetInstrumentRecord(1) + kInstInsertRack)},
      {kMixerSelectsInstrument, 2, Handle()},  // past the instruments
      {5, 0, Handle()},
  };
  for (const Case& c : cases) {
    StoreMixerSelection(c.kind, c.item);
    EXPECT_EQ(c.rack, GetMixerSelectedRack()) << c.kind << "/" << c.item;
    EXPECT_EQ(0, GetCurrentTrackIndex()) << "the current track is kept";
  }
  GetInstrumentRecord(gInstrumentCount + 1)[kInstDeviceKinds] = 0;
  StoreMixerSelection(kMixerSelectsAuxBus, 2);
  EXPECT_EQ(Handle(), GetMixerSelectedRack()) << "a bus without a device has no rack";
}

TEST_F(MixerRackTest, SendLabelsNameTheBusByItsOwnLabel) {
  std::memcpy(GetInstrumentRecord(gInstrumentCount) + kInstName, "\x05" "Drums", 6);
  GetInstrumentRecord(gInstrumentCount + 1)[kInstName] = 0;
  auto label = [](int32_t target, bool* italic) {
    Str255 text;
    *italic = GetSendTargetLabel(target, text);
    return std::string(reinterpret_cast<const char*>(text) + 1, text[0]);
  };
  auto pascal = [](ConstStr255Param p) { return std::string(reinterpret_cast<const char*>(p) + 1, p[0]); };
  bool italic = true;
  EXPECT_EQ("Drums", label(1, &italic));
  EXPECT_FALSE(italic);
  EXPECT_EQ(pascal(GetInstrumentDefaultName(1)), label(2, &italic));
  EXPECT_FALSE(italic);
  EXPECT_EQ(pascal(GetInstrumentDefaultName(gAuxBusCount)), label(3, &italic));
  EXPECT_TRUE(italic);
  label(0, &italic);  // the device output
  EXPECT_FALSE(italic);
}

TEST_F(MixerRackTest, APlugInWithProgramsGetsAProgramLine) {
  FillTrackRack({3, 3});
  GetChainPlugin(head_, 0)->programCount = 0;
  GetChainPlugin(head_, 1)->programCount = 4;  // a VST: no state flags of its own
  ASSERT_EQ(0, GetPluginStateFlags(GetChainPlugin(head_, 1)));
  MixerRows rows;
  CollectMixerRows(&rows);
  EXPECT_FALSE(RowHasProgramLine(rows.shapes[0]));
  EXPECT_TRUE(RowHasProgramLine(rows.shapes[1]));
  EXPECT_EQ(rows.heights[0] + 12, rows.heights[1]);
}

TEST_F(MixerRackTest, EditClearRemovesTheSelectedPlugIns) {
  InstallMixerWindow();
  ASSERT_NE(nullptr, gContextDeleteHooks.deleteWindow14Selection);
  FillTrackRack({3, 3, 3});
  PluginInstance* keep = GetChainPlugin(head_, 0);
  PluginInstance* kept = GetChainPlugin(head_, 2);
  SetPluginMixerFlags(GetChainPlugin(head_, 1), kMixerFlagSelected);
  gContextDeleteHooks.deleteWindow14Selection(0);
  gContextDeleteHooks.deleteWindow14Selection = nullptr;
  MixerRows rows;
  CollectMixerRows(&rows);
  ASSERT_EQ(2, rows.count);
  EXPECT_EQ(keep, rows.plugins[0]);
  EXPECT_EQ(kept, rows.plugins[1]);
  head_ = rows.head;
  ResetUndoHistory();  // the step's copies
}

TEST_F(MixerRackTest, ChannelChoicesAndSetMixerSelection) {
  SetMixerSelection(1, 7);
  EXPECT_EQ(kMixerSelectsAuxBus, GetMixerSelectionKind());
  EXPECT_EQ(2, GetMixerSelectionItem());
  EXPECT_TRUE(MixerSelectsMaster() == false);
  SetMixerSelection(gAuxBusCount, 7);
  EXPECT_TRUE(MixerSelectsMaster());
  SetMixerSelection(gAuxBusCount + 1, 7);
  EXPECT_EQ(kMixerSelectsTrack, GetMixerSelectionKind());
  EXPECT_EQ(7, GetMixerSelectionItem());
  EXPECT_TRUE(ApplyMixerChannelChoice(-2255, 0));
  EXPECT_EQ(kMixerSelectsInstrument, GetMixerSelectionKind());
  EXPECT_EQ(1, GetMixerSelectionItem());
  EXPECT_FALSE(ApplyMixerChannelChoice(-1500, 0));
  EXPECT_EQ(kMixerSelectsInstrument, GetMixerSelectionKind());
  EXPECT_TRUE(ApplyMixerChannelChoice(5, 0));
  EXPECT_EQ(kMixerSelectsAuxBus, GetMixerSelectionKind());
  EXPECT_EQ(1, GetMixerSelectionItem());
  EXPECT_FALSE(ApplyMixerChannelChoice(5, 0)) << "the same bus again";
}

TEST_F(MixerRackTest, ALockedRackShowsNoRows) {
  FillTrackRack({3, 3});
  MixerRows rows;
  CollectMixerRows(&rows);
  EXPECT_EQ(2, rows.count);
  Handle rack = RackIn(TrackCell(1));
  SetRackFlags(rack, uint8_t(GetRackFlags(rack) | kRackFlagInsertsOff));
  CollectMixerRows(&rows);
  EXPECT_TRUE(rows.locked);
  EXPECT_EQ(0, rows.count);
  // A click where the first row was does nothing to its plug-in.
  ClickAt(Centre(MixerBypassRect(false, MixerHeaderHeight(false))));
  EXPECT_EQ(0, GetBypassState(GetChainPlugin(head_, 0)));
}

TEST_F(MixerRackTest, TheBypassIconBypassesItsRowsPlugInOnly) {
  FillTrackRack({3, 13, 0});
  for (int32_t row = 0; row < 3; ++row) {
    ClickAt(Centre(MixerBypassRect(false, RowTop(row))));
    for (int32_t i = 0; i < 3; ++i) EXPECT_EQ(i == row ? 1 : 0, GetBypassState(GetChainPlugin(head_, i))) << row << " " << i;
    ClickAt(Centre(MixerBypassRect(false, RowTop(row))));
    EXPECT_EQ(0, GetBypassState(GetChainPlugin(head_, row)));
  }
}

TEST_F(MixerRackTest, NameClicksSelectPlugInsAndAClickElsewhereDeselects) {
  FillTrackRack({3, 3, 3});
  auto selected = [&] {
    std::vector<int> out;
    for (int32_t i = 0; i < 3; ++i) out.push_back((GetPluginMixerFlags(GetChainPlugin(head_, i)) & kMixerFlagSelected) ? 1 : 0);
    return out;
  };
  ClickAt(Centre(MixerNameRect(false, RowTop(0))));
  EXPECT_EQ((std::vector<int>{1, 0, 0}), selected());
  ClickAt(Centre(MixerNameRect(false, RowTop(2))), shiftKey);
  EXPECT_EQ((std::vector<int>{1, 0, 1}), selected());
  ClickAt(Centre(MixerNameRect(false, RowTop(1))));
  EXPECT_EQ((std::vector<int>{0, 1, 0}), selected());
  ClickAt(Centre(MixerNameRect(false, RowTop(1))), cmdKey);
  EXPECT_EQ((std::vector<int>{0, 0, 0}), selected());
  ClickAt(Centre(MixerNameRect(false, RowTop(0))));
  ClickAt(Point{int16_t(RowTop(3) + 20), 300});  // below the rows
  EXPECT_EQ((std::vector<int>{0, 0, 0}), selected());
}

TEST_F(MixerRackTest, TurningTheLinkOnSetsTheMiddleFaderFromTheOutputFader) {
  FillTrackRack({3});
  PluginInstance* first = GetChainPlugin(head_, 0);
  SetPluginGains(first, 1.0f / 65536.0f, 16384.0f, 7, 0);
  ClickAt(Centre(RackLinkSwitchRect(false)));
  float in = 0, out = 0;
  uint16_t middle = 0;
  GetPluginGains(first, &in, &out, &middle);
  EXPECT_TRUE(GetPluginMixerFlags(first) & kMixerFlagLink);
  EXPECT_EQ(128, middle);
  EXPECT_EQ(16384.0f, out);
  ClickAt(Centre(RackLinkSwitchRect(false)));
  EXPECT_FALSE(GetPluginMixerFlags(first) & kMixerFlagLink);
}

// An offscreen port of the window's width, made once before the tests count their handles
// (an offscreen keeps a few blocks of its own after it is disposed).
class MixerDrawingTest : public MixerRackTest {
 protected:
  static void SetUpTestSuite() {
    Rect bounds{0, 0, 400, kMixerWidth};
    NewGWorld(&world_, 32, &bounds, nullptr, nullptr, 0);
  }
  static void TearDownTestSuite() {
    if (world_) DisposeGWorld(world_);
    world_ = nullptr;
  }
  void SetUp() override {
    MixerRackTest::SetUp();
    ASSERT_NE(nullptr, world_);
    GetGWorld(&savedPort_, &savedDevice_);
    SetGWorld(world_, nullptr);
    Rect bounds{0, 0, 400, kMixerWidth};
    ClipRect(&bounds);
  }
  void TearDown() override {
    SetGWorld(savedPort_, savedDevice_);
    // The texts the drawing loaded stay loaded, as in the program: let them go.
    for (int16_t id : {129, 139, 151, 154})
      if (Handle texts = GetResource(FourCC("STR#"), id)) ReleaseResource(texts);
    MixerRackTest::TearDown();
  }
  void Draw() {
    Rect bounds{0, 0, 400, kMixerWidth};
    BackColor(whiteColor);
    ForeColor(blackColor);
    EraseRect(&bounds);
    DrawMixerRack(false);
  }
  int InkInBypass(int32_t row) {
    Rect box = MixerBypassRect(gMixerExpanded != 0, RowTop(row));
    InsetRect(&box, 3, 3);
    int dark = 0;
    for (int16_t v = box.top; v < box.bottom; ++v)
      for (int16_t h = box.left; h < box.right; ++h) {
        RGBColor c;
        GetCPixel(h, v, &c);
        dark += (PixelFromRGB(c) & 0xFFFFFF) != 0xFFFFFF;
      }
    return dark;
  }
  static GWorldPtr world_;
  CGrafPtr savedPort_ = nullptr;
  GDHandle savedDevice_ = nullptr;
};
GWorldPtr MixerDrawingTest::world_ = nullptr;

TEST_F(MixerDrawingTest, TheDrawnRackShowsWhichPlugInIsBypassed) {
  FillTrackRack({3, 13});
  for (uint8_t expanded : {0, 1}) {
    gMixerExpanded = expanded;
    Draw();
    EXPECT_EQ(0, InkInBypass(0)) << int(expanded);
    EXPECT_EQ(0, InkInBypass(1)) << int(expanded);
    ClickAt(Centre(MixerBypassRect(expanded, RowTop(1))));
    Draw();
    EXPECT_EQ(0, InkInBypass(0)) << int(expanded);
    EXPECT_GT(InkInBypass(1), 0) << int(expanded);
    ClickAt(Centre(MixerBypassRect(expanded, RowTop(1))));
  }
  gMixerExpanded = 0;
}

TEST_F(MixerDrawingTest, AnExpandedRowWithoutParametersShowsItsColour) {
  FillTrackRack({3});
  PluginInstance* plugin = GetChainPlugin(head_, 0);
  plugin->stateFlags |= kPluginStateBankFSSpec;
  gMixerExpanded = 1;
  auto colourAt = [&] {
    Draw();
    RGBColor c;
    GetCPixel(int16_t(MixerRowsLeft(true) + 250), int16_t(RowTop(0) + 70), &c);
    return c;
  };
  plugin->colourIndex = 3;  // green
  RGBColor green = colourAt();
  EXPECT_GT(green.green, green.red + 0x1000);
  plugin->colourIndex = 4;  // red
  RGBColor red = colourAt();
  EXPECT_GT(red.red, red.green + 0x1000);
  gMixerExpanded = 0;
}

}  // namespace

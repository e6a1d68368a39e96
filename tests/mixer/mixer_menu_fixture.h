// A song of three tracks, an instrument table of three instruments and two aux busses, and
// the application's texts, for the mixer's menus.
#pragma once

#include <string>

#include "mixer/destinations/destination_items.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/resources/resource_files.h"
#include "platform/resources/resources.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "tests/song/undo/undo_fixture.h"

class MixerMenuTest : public UndoFixture {
 protected:
  void SetUp() override {
    UndoFixture::SetUp();
    ASSERT_EQ(noErr, OpenAppResourceFile(ZARIN_TEST_APP_RESOURCES, &resources_));
    song_ = AddSongInSlot(0, 3);
    ASSERT_EQ(noErr, CreateInstrumentTable(3, kDeviceKindPlugin));
    ASSERT_EQ(noErr, SetAuxBusCount(2, 0, 0, false));
    routes_ = gDestinationRoutes;
  }
  void TearDown() override {
    gDestinationRoutes = routes_;
    DisposeInstrumentTable();
    if (resources_ != -1) CloseResFile(resources_);
    UndoFixture::TearDown();
  }
  static std::string Text(ConstStr255Param s) { return std::string(reinterpret_cast<const char*>(s + 1), s[0]); }
  static std::string ItemText(MenuRef menu, MenuItemIndex item) {
    Str255 text;
    GetMenuItemText(menu, item, text);
    return Text(text);
  }
  static bool Checked(MenuRef menu, MenuItemIndex item) {
    int16_t mark = 0;
    GetItemMark(menu, item, &mark);
    return mark == checkMark;
  }
  // Makes track slot i play instrument `instrument` through the table.
  void PlayInstrument(int32_t slot, int32_t instrument) {
    SetCurrentTrackIndex(slot);
    gCurrentTrack[kTrackFlags] |= kTrackFlagPlaysInstrument;
    WriteU16BE(gCurrentTrack + kTrackInstruments, uint16_t(instrument << 8));
  }
  void SendLevel(int32_t entry, int32_t send, uint16_t level) {
    WriteU16BE(GetInstrumentRecord(entry) + kInstSends + kInstSendSize * send, level);
  }
  SInt16 resources_ = -1;
  Handle song_;
  DestinationRoutes routes_;
};

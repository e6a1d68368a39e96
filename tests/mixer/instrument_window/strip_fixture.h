// A shown instrument window over a fresh instrument table: `instruments` MIDI instruments
// (channel i % 16) and `busses` aux busses, strips 35 wide, the strip layout made.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "platform/windows/windows.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/instrument_strip_layout.h"
#include "shell/windows/window_sizing.h"
#include "song/instruments/instrument_table.h"
#include "tests/test_support.h"

namespace strip_test {

class StripTest : public ::testing::Test {
 protected:
  void MakeWindow(int32_t instruments, int32_t busses, int16_t width) {
    headless_ = std::make_unique<zarin_test::ScopedEnv>("ZARIN_HEADLESS", "1");
    InitWindows();
    ASSERT_EQ(noErr, CreateInstrumentTable(instruments, kDeviceKindMidiPort));
    if (busses > 0) ASSERT_EQ(noErr, SetAuxBusCount(busses, kDeviceKindAudio, 0, false));
    RebuildInstrumentState();
    gInstrumentStripWidth = 35;
    gInstrumentStripHeight = 259;
    LayoutInstrumentStrip();
    CreatePlaceholderAppWindow(GetWindowSlot(kInstrumentWindowKindId), &gInstrumentWindowRecord,
                               kInstrumentWindowKindId, "Instruments", Rect{40, 10, 362, int16_t(10 + width)});
    ShowWindow(gInstrumentWindowRecord.window);
    gCurrentInstrument = 0;
  }
  void TearDown() override {
    DisposeAllAppWindows();
    DisposeInstrumentTable();
  }
  std::unique_ptr<zarin_test::ScopedEnv> headless_;
};

}  // namespace strip_test

// The info panel's tempo display after a headless start: the number shows the scaled tempo in
// tenths (no more than 450.0), the slider sets whole beats per minute from 12 to 300 through
// the tempo factor, a held arrow steps a tenth at a time and stops at 12.0 and 450.0, and the
// counter's drawing shows a changed factor.
#include <cstdlib>
#include <vector>

#include "platform/events/carbon_events.h"
#include "platform/events/classic_events.h"
#include "platform/events/host_input.h"
#include "platform/memory/byte_order.h"
#include "platform/quickdraw/ports.h"
#include "platform/system/host_time.h"
#include "platform/windows/windows.h"
#include "sequencer/midi/midi_utilities.h"
#include "sequencer/transport/sync_source.h"
#include "sequencer/transport/tempo_factor.h"
#include "sequencer/transport/transport_tempo.h"
#include "shell/app/shutdown.h"
#include "shell/app/startup.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/counter_display.h"
#include "shell/windows/info_panel.h"
#include "shell/windows/tempo_controls.h"
#include "shell/windows/tempo_display.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "tests/platform/controls/ui_test_support.h"
#include "tests/shell/app/app_fixture.h"

namespace app_test {
namespace {

// The button goes up once TickCount reaches gReleaseAt.
uint32_t gReleaseAt = 0;
Point gReleasePoint{};
bool gReleased = false;
void ReleaseWhenDue(EventTime) {
  if (gReleased || TickCount() < gReleaseAt) return;
  gReleased = true;
  PostHostMouseEvent(kEventMouseUp, gReleasePoint, 1, 0);
}

class TempoDisplay : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    StartUpApplication(40);
    window = GetAppWindowRef(&gInfoPanelRecord);
    ASSERT_TRUE(window);
    ASSERT_TRUE(gCurrentSong);
    SetPort(GetWindowPort(window));
    gClockTempo = 1200;
    SetTempoFactor(kUnityTempoFactor);
  }
  void TearDown() override {
    SetHostEventPump(nullptr);
    ui_test::ResetInput();
    SetSyncSource(kSyncSourceInternal);
    QuitApplication(0);
    AppTest::TearDown();
  }
  std::vector<uint32_t> Pixels(const Rect& r) {
    std::vector<uint32_t> out;
    for (int16_t v = r.top; v < r.bottom; ++v)
      for (int16_t h = r.left; h < r.right; ++h) out.push_back(ui_test::PortPixel(window, Point{v, h}));
    return out;
  }
  std::vector<uint32_t> NumberShowing(int32_t value) {
    SetPort(GetWindowPort(window));
    DrawCounter(value);
    Rect r;
    GetTempoDisplayRect(&r);
    return Pixels(r);
  }
  Rect KnobRect(int16_t position) {
    int16_t left = int16_t(kTempoSliderLeft + position);
    return Rect{kTempoSliderTop, left, kTempoSliderBottom, int16_t(left + kTempoKnobWidth)};
  }
  // A press at the local point, held for the ticks, through the panel's click entry.
  bool PressFor(Point local, uint32_t ticks) {
    gReleasePoint = ui_test::Global(window, local);
    gReleased = false;
    gReleaseAt = TickCount() + ticks;
    EXPECT_EQ(noErr, PostHostMouseEvent(kEventMouseDown, gReleasePoint, 1, 0));
    SetHostEventPump(ReleaseWhenDue);
    bool handled = ClickTempoControls(local);
    SetHostEventPump(nullptr);
    ui_test::ResetInput();
    return handled;
  }
  Point ArrowPoint(int16_t which) {
    SetTempoArrowRect(which);
    return ui_test::Center(gScratchRect);
  }
  uint16_t SongFactor() { return ReadU16BE(gCurrentSong + kSongTempoFactor); }
  WindowRef window = nullptr;
};

TEST_F(TempoDisplay, TheNumberShowsNoMoreThan4500) {
  std::vector<uint32_t> top = NumberShowing(4500);
  EXPECT_EQ(top, NumberShowing(4600));
  EXPECT_EQ(top, NumberShowing(32000));
  EXPECT_NE(top, NumberShowing(4499));
  EXPECT_NE(NumberShowing(1200), NumberShowing(120)) << "120.0 and 12.0";
}

// Each place of the knob: the tempo it sets from a base of 120.0 and the factor kept in the
// song; the knob is drawn there and gone from where it stood.
TEST_F(TempoDisplay, TheSliderSetsWholeBeatsFrom12To300) {
  struct Case {
    int16_t position;
    int32_t tempo;
    uint16_t factor;
  };
  const Case cases[] = {{0, 120, 205}, {kDefaultTempoSliderWidth, 3000, 5120}, {12, 600, 1024}, {36, 1560, 2662}};
  DrawInfoPanel();
  for (const Case& c : cases) {
    int16_t before = gTempoKnobPosition == c.position ? int16_t(c.position + 5) : gTempoKnobPosition;
    UpdateTempoSlider(kSliderLowestTempo + before * kSliderTempoSpan / kDefaultTempoSliderWidth);
    ASSERT_EQ(before, gTempoKnobPosition);
    SetTempoFromSlider(c.position);
    EXPECT_EQ(c.tempo, GetScaledTempo()) << c.position;
    EXPECT_EQ(c.factor, SongFactor()) << c.position;
    EXPECT_EQ(c.factor, gClockTempoFactor) << c.position;
    EXPECT_EQ(uint16_t(1200), gClockTempo) << "the base stays";
    EXPECT_GT(ui_test::CountDark(window, KnobRect(c.position)), kTempoKnobWidth * 4) << c.position;
    // Where the knob stood looks as a fresh drawing of the panel leaves it.
    std::vector<uint32_t> left = Pixels(KnobRect(before)), knob = Pixels(KnobRect(c.position));
    DrawInfoPanel();
    EXPECT_EQ(knob, Pixels(KnobRect(c.position))) << c.position;
    if (std::abs(before - c.position) > kTempoKnobWidth) {
      EXPECT_EQ(left, Pixels(KnobRect(before))) << "erased at " << before;
    }
  }
}

TEST_F(TempoDisplay, AClickOnTheSliderSetsTheTempoWhereItFellUnlessSyncedExternally) {
  DrawInfoPanel();
  Point at{int16_t((kTempoSliderTop + kTempoSliderBottom) / 2), int16_t(kTempoSliderLeft + 12 + kTempoKnobWidth / 2)};
  SetSyncSource(kSyncSourceMidiClock);
  EXPECT_TRUE(PressFor(at, 0));
  EXPECT_EQ(1200, GetScaledTempo()) << "the external clock keeps the tempo";
  SetSyncSource(kSyncSourceInternal);
  EXPECT_TRUE(PressFor(at, 0));
  EXPECT_EQ(600, GetScaledTempo());
  EXPECT_EQ(1024, SongFactor());
  EXPECT_FALSE(ClickTempoControls(Point{5, 200})) << "elsewhere in the panel";
}

// A short press is one step of a tenth; a long one steps on until 12.0 or 450.0 and stays
// there; where the base tempo cannot reach a higher tempo the press ends at the factor's top.
TEST_F(TempoDisplay, AHeldArrowStepsATenthAndStopsAtTheEnds) {
  struct Case {
    int16_t arrow;
    uint16_t base, factor;
    uint32_t ticks;
    int32_t shown;
  };
  const Case cases[] = {
      {kTempoArrowUp, 1200, 2048, 5, 1201},  {kTempoArrowDown, 1200, 2048, 5, 1199},
      {kTempoArrowUp, 4495, 2048, 90, 4500}, {kTempoArrowDown, 125, 2048, 90, 120},
      {kTempoArrowUp, 120, 65535, 30, 3840},
  };
  DrawInfoPanel();
  for (const Case& c : cases) {
    gClockTempo = c.base;
    SetTempoFactor(c.factor);
    EXPECT_TRUE(PressFor(ArrowPoint(c.arrow), c.ticks));
    EXPECT_EQ(c.shown, GetScaledTempo()) << c.arrow << " from " << c.base << " for " << c.ticks;
    EXPECT_EQ(gClockTempoFactor, SongFactor());
  }
}

// A tempo set from elsewhere (the tapped tempo, say): the factor that shows it, the conductor
// state's tempo, the knob and the number follow; the base tempo stays.
TEST_F(TempoDisplay, ASetTempoShowsThroughTheFactor) {
  std::vector<uint32_t> sixty = NumberShowing(600);
  DrawInfoPanel();
  SetCounterPosition(600, 1);
  EXPECT_EQ(1024, SongFactor());
  EXPECT_EQ(600, GetScaledTempo());
  EXPECT_EQ(uint16_t(1200), gClockTempo);
  EXPECT_EQ(12, gTempoKnobPosition);
  Rect r;
  GetTempoDisplayRect(&r);
  EXPECT_EQ(sixty, Pixels(r));
}

TEST_F(TempoDisplay, TheCountersDrawingShowsAChangedFactor) {
  std::vector<uint32_t> half = NumberShowing(600);
  DrawInfoPanel();
  Rect r;
  GetTempoDisplayRect(&r);
  std::vector<uint32_t> full = Pixels(r);
  ASSERT_NE(half, full);
  gCounterDisplayFlags |= kCounterRedrawsWindow;
  SetTempoFactor(1024);
  RedrawCounterWindow();
  EXPECT_EQ(half, Pixels(r)) << "60.0 shown at 50 %";
  SetTempoFactor(kUnityTempoFactor);
  RedrawCounterWindow();
  EXPECT_EQ(full, Pixels(r));
}

}  // namespace
}  // namespace app_test

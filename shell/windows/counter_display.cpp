#include "shell/windows/counter_display.h"

#include <algorithm>
#include <cstring>

#include "audio/engine/engine_run_state.h"
#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/pens.h"
#include "platform/quickdraw/text.h"
#include "platform/text/pascal_strings.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/clock/time_code_format.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/midi/midi_utilities.h"
#include "sequencer/midi/mtc_receiver.h"
#include "sequencer/transport/playback_control.h"
#include "sequencer/transport/sync_source.h"
#include "sequencer/transport/transport_tempo.h"
#include "shell/base/position_formats.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/drawing/text_drawing.h"
#include "shell/windows/counter_text.h"
#include "shell/windows/info_panel.h"
#include "shell/windows/tempo_display.h"
#include "shell/windows/window_appearance.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/timebase.h"
#include "song/model/song_context.h"

uint16_t gCounterDisplayFlags = 0xFFFF;
int32_t gCounterShownPosition = kCounterPositionUnshown;
int32_t gCounterShownMeter = kCounterValueUnshown;
int32_t gCounterShownTempo = kCounterValueUnshown;
uint8_t gCounterShownTimeCode[8] = {};
Str255 gCounterPositionText = {0}, gCounterTimeText = {0};
int16_t gCounterFontId = 0;

namespace {

// A length-prefixed literal ("\003abc").
ConstStr255Param P(const char* text) { return reinterpret_cast<ConstStr255Param>(text); }

int16_t gCounterMode = 0;
bool gCounterFontLookedUp = false;
constexpr int16_t kCounterForeColour = 22, kMeterForeColour = 52;
constexpr int16_t kThemeFontCounter = 200;
constexpr int16_t kAlignRight = 1;
constexpr int16_t kMeterLeft = 52, kNumeratorBaseline = 17, kDenominatorBaseline = 30;
constexpr int16_t kFieldTop = 20, kFieldBottom = 3, kBarFieldWidth = 38, kBarFieldHeight = 17;

// The parts a read-out last drew. The packed caches let a tick of 16 or more run into the
// beat's bits (1:01:016 and 1:02:000 pack alike), so a change is also looked for here.
int32_t gShownPositionParts[3] = {-1, -1, -1};
int32_t gShownMeterParts[3] = {-1, -1, -1};

bool ReadoutChanged(int32_t a, int32_t b, int32_t c, int32_t* packed, int32_t parts[3]) {
  bool changed = StorePackedIfChanged(a, b, c, packed);
  if (parts[0] != a || parts[1] != b || parts[2] != c) changed = true;
  parts[0] = a, parts[1] = b, parts[2] = c;
  return changed;
}

// The read-out's text right-aligned in gScratchRect (less 3 at the top and right), over the
// panel's picture (its read-out well) restored in the rectangle.
void DrawReadoutText(ConstStr255Param text) {
  RestoreBackgroundInScratch();
  SetCounterFont();
  gScratchRect.top = int16_t(gScratchRect.top + 3);
  gScratchRect.right = int16_t(gScratchRect.right - 3);
  TextFace(normal);
  TextMode(srcOr);
  DrawThemeTextInRect(&gScratchRect, text, false, kAlignRight, kThemeFontCounter, kThemeStateActive);
  TextMode(srcCopy);
}

// The position and meter read-outs are drawn only when their values changed, also in a full
// draw: whoever erases them resets their caches (ResetCounterCaches).
void DrawPositionReadout(const CounterValues& v) {
  if (!(gCounterDisplayFlags & kCounterShowsReadouts)) return;
  int32_t tick = std::max<int32_t>(v.tick, 0);
  if (!ReadoutChanged(v.bar, v.beat, tick, &gCounterShownPosition, gShownPositionParts)) return;
  GetStyleRect(kStyleCounterRect, &gScratchRect);
  LookUpCounterFont();
  Str255 text;
  FormatBarBeatTick(text, v.bar, v.beat, tick);
  PLstrcpy(gCounterPositionText, text);
  DrawReadoutText(text);
}

void DrawMeterReadout(const CounterValues& v) {
  if (!(gCounterDisplayFlags & kCounterShowsReadouts)) return;
  if (!ReadoutChanged(v.key, v.ticksPerBeat, v.numerator, &gCounterShownMeter, gShownMeterParts)) return;
  SetForeColorIndex(kMeterForeColour);
  SetMeterAreaRect();
  ClipToScratchRect();
  RestoreBackgroundInScratch();
  TextMode(srcOr);
  DrawKeySignature(v.key, gScratchRect.left);
  if (!(GetStyleOptions() & kStyleOptionMeterRect)) TextMode(srcCopy);
  int32_t denominator = CounterMeterDenominator(v.ticksPerBeat);
  int16_t x = MeterNumeratorLeft(v.numerator, denominator);
  ClipToCounterBand(x);
  MoveTo(x, kNumeratorBaseline);
  DrawCounterNumber(v.numerator);
  if (denominator > 0) {
    MoveTo(kMeterLeft, kDenominatorBaseline);
    DrawCounterNumber(denominator);
  }
  ClipToInfoPanel();
  SetForeColorIndex(kCounterForeColour);
}

void DrawTimeReadout(const CounterValues& v, bool full) {
  uint8_t now[8] = {};
  std::memcpy(now + 4, v.timeCode, 4);
  bool offline = gEngineStateWords[0] != 0 || gEngineStateWords[1] != 0;
  if (!full && !offline && !PositionChanged(gCounterShownTimeCode, now, kCounterFrameTolerance)) return;
  std::memcpy(gCounterShownTimeCode, now, sizeof now);
  GetStyleRect(kStyleTimeRect, &gScratchRect);
  TextMode(srcCopy);
  SetForeColorIndex(kCounterForeColour);
  Str255 text;
  FormatSmpteTime(text, v.timeCode[0], v.timeCode[1], v.timeCode[2], v.timeCode[3], 0);
  if (text[0] >= 3) text[0] = uint8_t(text[0] - 3);  // the subframes cut
  PLstrcpy(gCounterTimeText, text);
  DrawReadoutText(text);
}

// The time code received from the source the clock follows in the audio-clock mode (play bit
// 7) stands in for the clock's own.
void TakeReceivedTimeCodeWhenFollowing(CounterValues* v) {
  int64_t received = gMtcReceivedPosition.load();
  if (!gAudioClockMode || !(gTransportClock.playBits & kPlayBitTimeCode) || received < 0) return;
  TimeCodeFields f;
  FormatTimeFromStart(uint32_t(std::min<int64_t>(received, UINT32_MAX)), &f);
  v->timeCode[0] = f.hours, v->timeCode[1] = f.minutes, v->timeCode[2] = f.seconds, v->timeCode[3] = f.frames;
}

}  // namespace

void ResetCounterCaches() {
  gCounterShownPosition = kCounterPositionUnshown;
  gCounterShownTempo = kCounterValueUnshown;
  gCounterShownMeter = kCounterValueUnshown;
}

void SetCounterFont() { SetTextFontSize(gCounterFontId, kCounterFontSize); }

void LookUpCounterFont() {
  if (gCounterFontId != 0 || gCounterFontLookedUp) return;
  gCounterFontLookedUp = true;
  static const unsigned char* const kNames[] = {P("\016Century Gothic"), P("\010Segoe UI"), P("\006Tahoma"),
                                                 P("\024Microsoft Sans Serif")};
  for (const unsigned char* name : kNames) {
    short id = 0;
    GetFNum(name, &id);
    if (id != 0) {
      gCounterFontId = id;
      return;
    }
  }
}

int16_t GetCounterMode() { return gCounterMode; }
void SetCounterMode(int16_t mode) { gCounterMode = std::clamp<int16_t>(mode, 0, 2); }

void GetCounterElementRect(int16_t n, Rect* rect) {
  n = std::clamp<int16_t>(n, 0, 5);
  int16_t column = n < 3 ? n : int16_t(n - 3);
  int16_t left = int16_t(89 + 33 * column), bottom = n < 3 ? 17 : 52;
  *rect = Rect{int16_t(bottom - 11), left, bottom, int16_t(left + 21)};
}

void SetMeterAreaRect() {
  if (GetStyleOptions() & kStyleOptionMeterRect) GetStyleRect(kStyleMeterRect, &gScratchRect);
  else gScratchRect = Rect{1, 20, 35, 76};
}

// The bar field reaches to the beat field: the read-out's text is right-aligned, so a short
// bar number stands right of the first 38 pixels.
void SetCounterBarFieldRect() {
  SetCounterBeatFieldRect();
  int16_t beatLeft = gScratchRect.left;
  Rect r;
  GetStyleRect(kStyleCounterRect, &r);
  int16_t top = int16_t(r.bottom - kFieldTop);
  int16_t right = std::max<int16_t>(int16_t(r.left + kBarFieldWidth), beatLeft);
  gScratchRect = Rect{top, r.left, int16_t(top + kBarFieldHeight), right};
}

void SetCounterBeatFieldRect() {
  Rect r;
  GetStyleRect(kStyleCounterRect, &r);
  int16_t left = int16_t(r.right - MeasurePString(P("\007:00:000")));
  gScratchRect = Rect{int16_t(r.bottom - kFieldTop), left, int16_t(r.bottom - kFieldBottom),
                      int16_t(left + MeasurePString(P("\003:00")))};
}

void SetCounterTickFieldRect() {
  Rect r;
  GetStyleRect(kStyleCounterRect, &r);
  gScratchRect = Rect{int16_t(r.bottom - kFieldTop), int16_t(r.right - MeasurePString(P("\004:000"))),
                      int16_t(r.bottom - kFieldBottom), r.right};
}

int32_t CounterMeterDenominator(int32_t ticksPerBeat) {
  return ticksPerBeat > 0 ? gTicksPerQuarter * 4 / ticksPerBeat : 0;
}

void GatherCounterValues(CounterValues* v) {
  const TransportClock& c = gTransportClock;
  gConductorState.tempo = c.tempo;
  v->bar = c.bar > 0 ? int32_t(c.bar) - 1 : 0;
  v->beat = c.beatInBar;
  std::memcpy(v->timeCode, c.timeCode, 4);
  if (IsClockTaskPlaying()) {
    v->tick = 0;  // the read-out changes once a beat
    v->numerator = c.beatsPerBar;
    v->ticksPerBeat = c.ticksPerBeat;
    gConductorState.ticksPerBeat = c.ticksPerBeat;
    v->key = GetKeySignatureBefore(int32_t(c.songTick.load()), gCurrentSong, &gConductorState);
    TakeReceivedTimeCodeWhenFollowing(v);
  } else {
    v->tick = c.tickInBeat;
    int32_t tick = BarBeatTickToTick(v->bar, v->beat, v->tick);
    v->key = GetKeySignatureBefore(tick, gCurrentSong, &gConductorState);
    v->numerator = gConductorState.beatsPerBar;
    v->ticksPerBeat = gConductorState.ticksPerBeat;
  }
  gConductorState.key = v->key;
}

void DrawCounterDisplay(int16_t full) {
  TextFace(normal);
  TextMode(srcCopy);
  CounterValues v;
  GatherCounterValues(&v);
  SetForeColorIndex(kCounterForeColour);
  DrawPositionReadout(v);
  DrawMeterReadout(v);
  DrawTimeReadout(v, full != 0);
  ClipToInfoPanel();
  if (gCounterShownTempo != GetScaledTempo()) DrawCounterTempoArea();
  ForeColor(blackColor);
  BackColor(whiteColor);
}

void DrawCounterPosition(int32_t tick, int16_t x) {
  Str255 text;
  if (GetCounterMode() == 1) {
    TickToTimecodeString(text, tick);
  } else {
    int32_t bar = 0, beat = 0, inBeat = 0;
    TickToBarBeatTick(tick, &bar, &beat, &inBeat);
    FormatBarBeatTick(text, bar, beat, std::max<int32_t>(inBeat, 0));
  }
  Point pen;
  GetPen(&pen);
  MoveTo(x, pen.v);
  DrawString(text);
}

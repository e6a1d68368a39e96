#include "editors/waveforms/track_waveform.h"

#include <algorithm>

#include "editors/timeline/timeline_axis.h"
#include "editors/waveforms/overview_drawing.h"
#include "editors/waveforms/region_frames.h"
#include "editors/waveforms/sample_drawing.h"
#include "editors/waveforms/waveform_lanes.h"
#include "media/background_jobs.h"
#include "media/overview/overview_jobs.h"
#include "media/track_audio/track_audio.h"
#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/pens.h"
#include "platform/quickdraw/text.h"
#include "sequencer/clock/transport_clock.h"
#include "shell/base/app_strings.h"
#include "shell/base/error_report.h"
#include "shell/base/pen_numbers.h"
#include "shell/drawing/scratch_rect.h"
#include "song/conductor/sample_position.h"
#include "song/model/media_hooks.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_length.h"
#include "song/model/track_sections.h"

uint8_t gRegionDisplay = 1;
uint8_t gLargeOverviews = 0;

namespace {

// A message across the middle of the rectangle, in the outline-extended style.
void DrawWaveMessage(ConstStr255Param text, const Rect& r) {
  FontInfo info;
  TextFace(outline | extend);
  GetFontInfo(&info);
  ForeColor(blackColor);
  DrawStringCentered(text, &r, int16_t((r.top + r.bottom + info.ascent - 6) / 2));
  TextFace(normal);
}

RGBColor ChooseColour(Handle record, const RGBColor* given, uint8_t trackFlags) {
  if (trackFlags & kTrackFlagSilent) return kSecondWaveformColor;
  if (given) return *given;
  RGBColor c;
  GetTrackAudioColor(record, &c);
  return c;
}

// A whole-track overview must not be started while the clock stops at its cycle in a song
// that is as long as the timeline can be.
bool MayStartOverview() {
  bool atCycle = (gTransportClock.flags.load() & kClockFlagStopAtCycle) != 0;
  return !(atCycle && SongHeaderView(gCurrentSong).Bars() == uint32_t(MaxBarsInTimeline()));
}

// The audio drawn without an overview: the notice while one is being computed, the error's
// text when the audio cannot be read.
void DrawFromAudio(const OverviewSpan& span, Handle record, const Rect& r, const RGBColor& colour, bool computing) {
  OSErr err = DrawOverviewFromAudio(span, record, r, colour);
  if (computing) {
    DrawWaveMessage(GetMessageString(kOverviewComputingMessage), r);
  } else if (err != noErr && err != kWaveUnreadableFormat) {
    Str255 text;
    DrawWaveMessage(FormatErrorText(err, text, 0), r);
  }
}

// Zoom shift 0 and up: by the record's overview state.
void DrawByOverviewState(Handle record, const OverviewSpan& span, const Rect& r, const RGBColor& colour) {
  TrackAudioView v = ViewTrackAudio(record);
  int8_t state = v.OverviewState();
  if (!gLargeOverviews && GetTrackAudioByteSize(record) > kLargeOverviewBytes) {
    ClearOverviewDirty();
    state = kOverviewGaveUp;
  }
  if (state >= kOverviewQueued && gOverviewThreadCount != 0) return DrawFromAudio(span, record, r, colour, true);
  if (state == kOverviewGaveUp) return DrawFromAudio(span, record, r, colour, false);
  if (state == kOverviewUnshowable) return;
  if (!ViewTrackAudio(record).Overview()) {
    // Queued: the job redraws the windows when it is done.
    if (!MayStartOverview() || !EnsureTrackOverview()) return;
  }
  v = ViewTrackAudio(record);
  DrawOverviewChain(v.Overview(), 1, r, span, v.Channels(), colour);
}

}  // namespace

int64_t GetTrackAudioByteSize(Handle record) {
  TrackAudioView v = ViewTrackAudio(record);
  if (!v) return 0;
  int64_t frames = TickToSamplePosition(int32_t(std::min<uint32_t>(GetTrackLength(), INT32_MAX)), TrackAudioRate(record));
  return frames * ((v.BitsPerSample() + 7) / 8) * std::max<int16_t>(v.Channels(), 1);
}

void DrawTrackOverview(int32_t leftTick, int32_t rightTick, int16_t shift, int16_t pass, const RGBColor* colour) {
  if (!IsTrackAudioReady()) return;
  Handle record = GetTrackAudio();
  if (!record) return;
  Rect saved = gScratchRect;
  uint8_t flags = TrackEntryView(gCurrentTrack).Flags();
  OverviewSpan span{leftTick, rightTick, shift, 0};
  if ((flags & kTrackLoopFlag) && pass != kWavePassBefore) span.loopLength = int32_t(std::min<uint32_t>(GetTrackLength(), INT32_MAX));
  if (!TestLongestTrackFlag()) span.rightTick = std::min<int64_t>(span.rightTick, SongHeaderView(gCurrentSong).EndTick());
  if (gRegionDisplay && pass == kWavePassBefore) DrawRegionFrames(record, leftTick, span.rightTick, shift, pass, false);
  RGBColor c = ChooseColour(record, colour, flags);
  RGBForeColor(&c);
  if (shift < 0) DrawTrackSamples(record, int16_t(shift + 5), c);
  else DrawByOverviewState(record, span, saved, c);
  gScratchRect = saved;
  ForeColor(blackColor);
  if (gRegionDisplay && pass == kWavePassAfter) DrawRegionFrames(record, leftTick, span.rightTick, shift, pass, true);
  ForeColor(blackColor);
}

void DrawChannelLabels() {
  Handle record = GetTrackAudio();
  int16_t channels = ViewTrackAudio(record).Channels();
  if (channels <= 1) return;
  FontInfo info;
  TextFace(bold);
  GetFontInfo(&info);
  for (int32_t c = 0; c < std::min<int16_t>(channels, 2); ++c) {
    WaveLane lane = ChannelLane(gScratchRect, c, channels);
    PenNormal();
    ForeColor(blackColor);
    MoveTo(int16_t(lane.left + 8), int16_t(lane.top + (lane.height + info.ascent - info.descent) / 2));
    static const unsigned char kLabels[2][2] = {{1, 'L'}, {1, 'R'}};
    DrawString(kLabels[c]);
  }
  TextFace(normal);
}

#include "editors/sections/section_markers.h"

#include <algorithm>

#include "editors/follow/play_cursor.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/quickdraw/geometry.h"
#include "platform/quickdraw/pictures.h"
#include "platform/quickdraw/pens.h"
#include "platform/quickdraw/text.h"
#include "platform/text/pascal_strings.h"
#include "sequencer/clock/sequencer_clock.h"
#include "shell/windows/editor_panes.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"

namespace {

constexpr int16_t kSmallFontSize = 9;
constexpr int16_t kStartMarkerDrop = 1;
constexpr int16_t kEndMarkerDrop = 3;
constexpr int16_t kCountInset = 6;
constexpr int16_t kCountDrop = 8;
constexpr int16_t kRepeatLeft = 16;
constexpr int16_t kRepeatDrop = 15;

bool ShowsSections(const uint8_t* track) {
  return track && (track[kTrackFlags] & kTrackLoopFlag) && GetTrackSectionList(track);
}

void DrawMarker(int16_t id, const Rect& frame) {
  if (PicHandle picture = GetPicture(id)) DrawPicture(picture, &frame);
}

void DrawNumberAt(int16_t h, int16_t v, uint32_t n) {
  Str255 text;
  NumToString(long(n), text);
  MoveTo(h, v);
  DrawString(text);
}

void DrawEntry(const SectionFields& f, const SectionMapping& now, bool playing, int32_t index) {
  SectionMarkerRects r = GetSectionMarkerRects(f, gCurrentPaneTop);
  DrawMarker(kSectionStartPicture, r.start);
  DrawMarker(kSectionEndPicture, r.end);
  int16_t countLeft = int16_t(r.end.left - kCountInset), countTop = int16_t(gCurrentPaneTop + kCountDrop);
  if (f.count == 0) {
    MoveTo(countLeft, countTop);
    DrawChar(kEndlessRepeatChar);
  } else {
    DrawNumberAt(countLeft, countTop, f.count);
  }
  if (!playing || !now.inEntry || now.index != index) return;
  uint32_t repeat = now.repeat + 1;
  if (f.count != 0) repeat = std::min(repeat, f.count);
  DrawNumberAt(int16_t(r.start.left + kRepeatLeft), int16_t(r.start.top + kRepeatDrop), repeat);
}

}  // namespace

SectionMarkerRects GetSectionMarkerRects(const SectionFields& f, int16_t paneTop) {
  SectionMarkerRects r;
  int16_t startLeft = TickToClampedPixel(int32_t(std::min<uint32_t>(f.start, INT32_MAX)));
  int16_t endRight = TickToClampedPixel(int32_t(std::min<uint32_t>(f.end, INT32_MAX)));
  int16_t startTop = int16_t(paneTop + kStartMarkerDrop), endTop = int16_t(paneTop + kEndMarkerDrop);
  r.start = Rect{startTop, startLeft, int16_t(startTop + kSectionMarkerHeight), int16_t(startLeft + kSectionMarkerWidth)};
  r.end = Rect{endTop, int16_t(endRight - kSectionMarkerWidth), int16_t(endTop + kSectionMarkerHeight), endRight};
  return r;
}

void DrawSectionMarkers() {
  if (!ShowsSections(gCurrentTrack)) return;
  Handle list = GetTrackSectionList(gCurrentTrack);
  bool playing = IsClockTaskPlaying();
  uint32_t position = GetPanePlayPosition();
  // The display's own mapping: the sequencer's stays untouched.
  SectionMapping now = PeekPositionThroughSections(gCurrentTrack, position);
  TextFont(applFont);
  TextSize(kSmallFontSize);
  int32_t right = GetTimelineRightTick();
  SectionFields f;
  for (int32_t i = 0; GetSectionFields(list, i, &f); ++i) {
    if (int64_t(f.start) >= int64_t(right)) break;
    bool inRepeats = position >= f.start && (position <= f.repeatsEnd);
    DrawEntry(f, now, playing && inRepeats, i);
  }
}

int32_t HitTestSectionMarkers(Point point) {
  if (!ShowsSections(gCurrentTrack)) return -1;
  Handle list = GetTrackSectionList(gCurrentTrack);
  SectionFields f;
  for (int32_t i = CountSectionEntries(list) - 1; i >= 0; --i) {
    if (!GetSectionFields(list, i, &f)) continue;
    SectionMarkerRects r = GetSectionMarkerRects(f, gCurrentPaneTop);
    if (PtInRect(point, &r.start) || PtInRect(point, &r.end)) return i;
  }
  return -1;
}

uint32_t GetDisplayedSectionRepeat(const uint8_t* track, uint32_t position) {
  if (!ShowsSections(track) || (track[kTrackFlags] & kTrackInactiveFlag)) return 0;
  SectionFields first;
  if (!GetSectionFields(GetTrackSectionList(track), 0, &first)) return 0;
  if (position < first.start || position > first.repeatsEnd) return 0;
  SectionMapping m = PeekPositionThroughSections(track, position);
  if (m.index != 0 || !m.inEntry) return 0;
  return first.count ? std::min(m.repeat + 1, first.count) : m.repeat + 1;
}

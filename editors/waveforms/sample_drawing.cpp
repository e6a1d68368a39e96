#include "editors/waveforms/sample_drawing.h"

#include <algorithm>
#include <vector>

#include "audio/streams/stream_media_hooks.h"
#include "editors/timeline/timeline_axis.h"
#include "editors/waveforms/waveform_lanes.h"
#include "media/overview/region_frame_reads.h"
#include "media/overview/sample_decoding.h"
#include "media/track_audio/track_audio.h"
#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/pens.h"
#include "shell/drawing/scratch_rect.h"
#include "song/model/audio_region.h"

namespace {

constexpr int32_t kSampleBufferBytes = 65536;
constexpr int16_t kSampleViewMargin = 15;

struct SampleFormat {
  int16_t cls = 0;
  int32_t bytes = 2;
  int32_t frameBytes = 0;
  int32_t channels = 1;
};

// The drawing state of one channel across the reads.
struct ChannelPen {
  WaveLane lane;
  bool started = false;
  int16_t x = 0, y = 0;
};

int16_t SampleY(const SampleFormat& f, const WaveLane& lane, const uint8_t* p) {
  if (f.cls == kFormatClassFloat) return SampleFloatToY(lane, ReadF32BE(p));
  int64_t full = int64_t(1) << (f.bytes * 8);
  return SampleValueToY(lane, int64_t(DecodeIntSample(p, f.cls, f.bytes)) + full / 2, full);
}

void MarkSample(int16_t x, int16_t y) {
  MoveTo(int16_t(x - 1), y);
  LineTo(int16_t(x + 1), y);
  MoveTo(x, int16_t(y - 1));
  LineTo(x, int16_t(y + 1));
  MoveTo(x, y);
}

// A line through the samples: 4 pixels each at level -1 (with a mark), 1 at level 0.
void DrawSampleLine(const SampleFormat& f, ChannelPen* pen, const uint8_t* frames, int32_t n, int64_t first,
                    int16_t level, int32_t channel) {
  int32_t step = level < 0 ? 4 : 1;
  for (int32_t i = 0; i < n; ++i) {
    int16_t x = ClampToQDRange(int64_t(pen->lane.left) + (first + i) * step);
    int16_t y = SampleY(f, pen->lane, frames + int64_t(i) * f.frameBytes + channel * f.bytes);
    if (pen->started) {
      MoveTo(pen->x, pen->y);
      LineTo(x, y);
    } else {
      MoveTo(x, y);
      LineTo(x, y);
    }
    if (level < 0) MarkSample(x, y);
    pen->started = true;
    pen->x = x, pen->y = y;
  }
}

// One vertical line per column of 2^level samples (a read holds whole columns).
void DrawSampleColumns(const SampleFormat& f, const ChannelPen& pen, const uint8_t* frames, int32_t n, int64_t first,
                       int16_t level, int32_t channel) {
  int32_t per = 1 << level;
  for (int32_t i = 0; i < n; i += per) {
    int16_t lo = INT16_MAX, hi = INT16_MIN;
    for (int32_t k = i; k < std::min(n, i + per); ++k) {
      int16_t y = SampleY(f, pen.lane, frames + int64_t(k) * f.frameBytes + channel * f.bytes);
      lo = std::min(lo, y), hi = std::max(hi, y);
    }
    int16_t x = ClampToQDRange(pen.lane.left + ((first + i) >> level));
    MoveTo(x, lo);
    LineTo(x, hi);
  }
}

bool ReadFormat(Handle record, SampleFormat* f) {
  TrackAudioView v = ViewTrackAudio(record);
  f->cls = ClassifySampleFormat(v.Encoding(), v.BitsPerSample());
  f->bytes = (v.BitsPerSample() + 7) / 8;
  f->channels = std::max<int16_t>(v.Channels(), 1);
  Handle regions = v.Regions();
  if (CountAudioRegions(regions) > 0) f->frameBytes = RegionRecord(regions, 0)[kRegionBytesPerFrameAt];
  return f->cls != kFormatClassForeign && f->bytes > 0 && f->bytes <= 4 && f->frameBytes >= f->channels * f->bytes;
}

void DrawZeroLines(const std::vector<ChannelPen>& pens, int16_t right) {
  RGBForeColor(&kZeroLineColor);
  for (const ChannelPen& pen : pens) {
    int16_t y = SampleFloatToY(pen.lane, 0.0f);
    MoveTo(pen.lane.left, y);
    LineTo(right, y);
  }
}

}  // namespace

OSErr DrawTrackSamples(Handle record, int16_t level, const RGBColor& colour) {
  SampleFormat f;
  if (!ReadFormat(record, &f)) {
    if (f.cls == kFormatClassForeign) ViewTrackAudio(record).SetOverviewState(kOverviewUnshowable);
    return noErr;
  }
  level = std::clamp<int16_t>(level, -1, 4);
  Rect r = gScratchRect;
  int32_t width = std::max(GetMainWindowRight() - r.left - kSampleViewMargin, 0);
  int64_t visible = level < 0 ? width / 4 + 1 : int64_t(width) << level;
  std::vector<ChannelPen> pens(size_t(f.channels));
  for (int32_t c = 0; c < f.channels; ++c) pens[size_t(c)].lane = ChannelLane(r, c, f.channels);
  DrawZeroLines(pens, int16_t(r.left + width));
  RGBForeColor(&colour);
  std::vector<uint8_t> buffer(kSampleBufferBytes);
  int32_t perRead = std::max((kSampleBufferBytes / f.frameBytes) & ~15, 1);
  Handle regions = ViewTrackAudio(record).Regions();
  for (int64_t done = 0; done < visible;) {
    int32_t got = 0;
    int32_t want = int32_t(std::min<int64_t>(perRead, visible - done));
    OSErr err = ReadOverviewListFrames(regions, int64_t(gTimelineLeftSample) + done, want, f.frameBytes, buffer.data(), &got);
    if (err != noErr) return err;
    for (int32_t c = 0; c < f.channels; ++c) {
      if (level <= 0) DrawSampleLine(f, &pens[size_t(c)], buffer.data(), got, done, level, c);
      else DrawSampleColumns(f, pens[size_t(c)], buffer.data(), got, done, level, c);
    }
    if (got < want) break;
    done += got;
  }
  return noErr;
}

#include "media/track_audio/track_audio_hooks.h"

#include "audio/engine/audio_edit_bracket.h"
#include "audio/engine/engine_state.h"
#include "audio/regions/region_media_hooks.h"
#include "audio/regions/region_track_edits.h"
#include "audio/streams/stream_media_hooks.h"
#include "media/track_audio/track_audio.h"
#include "sequencer/transport/song_modes.h"
#include "song/documents/playback_reset.h"
#include "song/model/media_hooks.h"
#include "song/model/track_settings.h"

namespace {

// The engine reads a record through a plain view of its fields, one per record; the view also
// keeps the channel that plays the record (memory only, never in the record).
constexpr int32_t kStreamViews = 64;

struct StreamView {
  uint32_t record = 0;
  TrackAudioRecord fields;
};
StreamView gStreamViews[kStreamViews];
int32_t gNextStreamView = 0;

StreamView* ViewForRecord(Handle record) {
  for (StreamView& v : gStreamViews)
    if (v.record == record.id) return &v;
  StreamView* v = &gStreamViews[gNextStreamView];
  gNextStreamView = (gNextStreamView + 1) % kStreamViews;
  *v = StreamView();
  v->record = record.id;
  return v;
}

// The current track's active record as the stream preparation reads it (main thread).
TrackAudioRecord* ActiveTrackAudioForStreams() {
  Handle record = GetActiveTrackAudioRecord();
  TrackAudioView r = ViewTrackAudio(record);
  if (!r) return nullptr;
  StreamView* v = ViewForRecord(record);
  v->fields.format = r.Encoding();
  v->fields.width = r.BitsPerSample();
  v->fields.channels = r.Channels();
  v->fields.sampleRate = TrackAudioRate(record);
  v->fields.regionList = r.Regions();
  v->fields.automationList = r.Automation();
  v->fields.description = nullptr;  // the program's own files are plain sample data
  return &v->fields;
}

// The channel cached in the record, else the one the engine's preparation gave the record's
// view, while it is still one of the engine's channels.
EngineChannel* ChannelPlayingRecord(Handle record) {
  if (EngineChannel* cached = GetTrackAudioChannel(record)) return cached;
  if (!record) return nullptr;
  for (const StreamView& v : gStreamViews) {
    if (v.record != record.id || !v.fields.channel) continue;
    for (int32_t i = 0; i < gEngineChannelCount && i < kEngineChannelSlots; ++i)
      if (gEngineChannelLists[i] == v.fields.channel) return v.fields.channel;
  }
  return nullptr;
}

}  // namespace

void BracketTrackAudioEdit(int32_t command, int32_t phase) {
  Handle record = CurrentTrackAudio();
  EngineChannel* channel = ChannelPlayingRecord(record);
  if (channel) {
    AudioEditBracket(channel, command, phase, record);
    return;
  }
  // Nothing plays the record: playback takes the edit up when it is prepared again.
  if (IsSongModeOne() && !DoesSongAllowStepInput()) ResetPlaybackState(1);
}

void InstallTrackAudioHooks() {
  gRegionMediaHooks.bracketAudioEdit = BracketTrackAudioEdit;
  gSongMediaHooks.isTrackAudioReady = IsMainTrackAudioReady;
  gSongMediaHooks.disposeAlternateAudio = [] {
    if (uint8_t* slot = GetRegionListCell(1)) DisposeTrackAudio(slot);
  };
  gStreamMediaHooks.getActiveTrackAudio = ActiveTrackAudioForStreams;
  gSongMediaHooks.copyTrackAudioOverview = CopyTrackAudioOverview;
}

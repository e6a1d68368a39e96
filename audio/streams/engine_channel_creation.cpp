#include "audio/streams/engine_channel_creation.h"

#include "audio/devices/audio_driver.h"
#include "platform/memory/memory.h"
#include "audio/engine/automation_records.h"
#include "audio/engine/engine_plugin_hooks.h"
#include "audio/engine/instrument_binding.h"
#include "audio/engine/region_lookup.h"
#include "audio/streams/stream_media_hooks.h"
#include "audio/streams/stream_regions.h"
#include "sequencer/clock/transport_clock.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/utility_track_access.h"

int32_t gDeviceLargestValue = 0;

namespace {

constexpr int32_t kModeFromStart = 3;
constexpr int32_t kModeToEnd4 = 4;
constexpr int32_t kModeToEnd6 = 6;
constexpr int32_t kModeTargetAlways = 7;
constexpr int64_t kPlayToEnd = 0x7fffffff;
constexpr uint32_t kClockStepInput = 1u << 30;
constexpr uint32_t kTrackFlagStepInput = 0x10;

struct CreateArgs {
  int32_t mode;
  int64_t rangeStart;
  int64_t rangeEnd;
  AudioDriverOps* device;
  uint8_t noTrack;
  bool single;
};

// Where a track sounds: an audio track's regions, or a plug-in instrument (the port names the
// plug-in device), with the output kind, port and MIDI channel of its routing.
struct TrackRoute {
  bool audio = false;
  bool plugin = false;
  uint8_t kind = 0;
  uint8_t port = 0;
  uint8_t channel = 0;
  int32_t instrument = -1;
};

// The regions the track plays: those of its audio record when media answers it (the walk
// makes each track current before it asks), else the list in the track's active cell.
Handle TrackRegions(const uint8_t* track) {
  if (!gStreamMediaHooks.getActiveTrackAudio) return TrackEntryView(const_cast<uint8_t*>(track)).ActiveRegionList();
  TrackAudioRecord* record = GetActiveTrackAudio();
  return record ? record->regionList : Handle();
}

TrackRoute ResolveRoute(const uint8_t* track) {
  TrackEntryView v(const_cast<uint8_t*>(track));
  TrackRoute r;
  r.kind = v.Type();
  r.port = track[kTrackMidiOutput];
  int32_t instrument = v.Instrument(0) >> 8;
  uint8_t* record = instrument < gInstrumentCount ? GetInstrumentRecord(instrument) : nullptr;
  if (record) {
    r.instrument = instrument;
    r.channel = InstrumentView(record).Channel(0);
  }
  r.audio = v.OutputKind() == kAudioTrackOutputKind && CountAudioRegions(TrackRegions(track)) > 0;
  r.plugin = !r.audio && r.kind == kDeviceKindPlugin;
  if (!r.audio && !r.plugin && record && InstrumentView(record).DeviceKind(0) == kDeviceKindPlugin) {
    r.plugin = true;
    r.kind = kDeviceKindPlugin;
    r.port = InstrumentView(record).Port(0);
  }
  return r;
}

// The channel made earlier in this preparation for the song's track, or for the same plug-in
// device (one channel renders a device for all the tracks that play it).
EngineChannel* FindExistingChannel(Handle song, uint8_t number, const TrackRoute& r) {
  for (int32_t i = 0; i < gEngineChannelCount && i < kEngineChannelSlots; ++i) {
    EngineChannel* c = gEngineChannelLists[i];
    if (!c || c->song != song) continue;
    if (c->trackNumberCopy == number) return c;
    if (r.plugin && c->instrumentSource && !c->noTrack && c->outputChannel == r.port) return c;
  }
  return nullptr;
}

// The device a track's channel plays on: the given one, the active device of the track's
// driver kind, or (a plug-in) the first active device. Null when missing or not open.
AudioDriverOps* FindChannelDevice(const CreateArgs& a, const TrackRoute& r) {
  if (a.device) return (a.device->flags & kDriverFlagActive) ? a.device : nullptr;
  for (AudioDriverOps* d = gOutputDevices; d; d = d->next) {
    if (!(d->flags & kDriverFlagActive)) continue;
    if (r.plugin || d->driverId == r.kind) return d;
  }
  return nullptr;
}

uint32_t ChannelFlags(const uint8_t* track) {
  uint32_t flags = track[kTrackFlags];
  bool armed = (track[kTrackModeFlags] & kTrackModeArmed) != 0;
  if ((gTransportClock.flags.load() & kClockStepInput) && armed) flags |= kTrackFlagStepInput;
  return flags;
}

void FillFromTrack(EngineChannel* c, const uint8_t* track, const TrackRoute& r, const CreateArgs& a) {
  c->instrumentSource = r.plugin ? 1 : 0;
  c->fadeState = 0;
  c->song = gCurrentSongHandle;
  c->trackNumber = c->trackNumberCopy = track[kTrackNumber];
  c->noTrack = a.noTrack;
  c->outputPair = r.audio ? r.port : 0;
  c->outputChannel = r.plugin ? r.port : r.channel;
  double now = double(gTransportClock.songTick.load());
  for (double& v : c->clockValues) v = now;
  c->trackFlags = track[kTrackFlags];
  c->channelFlags = ChannelFlags(track);
  SetupChannelSends(c, r.instrument);
  bool whole = a.mode == kModeToEnd4 || a.mode == kModeToEnd6;
  c->rangeStart = whole || a.mode == kModeFromStart ? 0 : a.rangeStart;
  c->rangeEnd = whole ? kPlayToEnd : a.rangeEnd;
}

// The automation list of the track's audio record, a copy the channel owns (none when the copy
// cannot be made: the track plays without automation); the record points back at the channel.
void TakeTrackAudio(EngineChannel* c) {
  TrackAudioRecord* record = GetActiveTrackAudio();
  if (!record) return;
  record->channel = c;
  Handle copy = record->automationList;
  if (!copy || HandToHand(&copy) != noErr) copy = Handle();
  if (!TakeAutomationLock(c)) {
    if (copy) DisposeHandle(copy);
    return;
  }
  if (c->automation) DisposeHandle(c->automation);
  c->automation = copy;
  c->automationCursor = copy ? reinterpret_cast<uint8_t*>(*copy) : nullptr;
  ReleaseAutomationLock(c);
}

// The track's regions (an audio track), a copy the channel owns; answers the playable length
// in frames (0 when the copy cannot be made: *err holds why).
int64_t FillRegions(EngineChannel* c, const uint8_t* track, int16_t* err) {
  Handle list = TrackRegions(track);
  ReleaseRegionBlocks(c->regionList);
  if (c->regionList) DisposeHandle(c->regionList);
  c->regionList = Handle();
  if (HandToHand(&list) != noErr) {
    *err = kEngineErrNoMemory;
    return 0;
  }
  c->regionList = list;
  int32_t count = CountAudioRegions(list);
  c->regionCount = int16_t(count > 0x7fff ? 0x7fff : count);
  int64_t start = 0, end = 0;
  FindRegionAtPosition(kOpenRegionEnd, &start, &end, list);
  c->atEnd = 0;
  return end;
}

void PrepareDeviceForFirstChannel(AudioDriverOps* d, EngineChannel* c) {
  if (d->channelList) return;
  if (d->Nothing7) d->Nothing7();
  int32_t value = d->PassValue14 ? d->PassValue14(0) : 0;
  if (value > gDeviceLargestValue) gDeviceLargestValue = value;
  (void)c;
}

// Step 10: the channel in use on its device.
int16_t UseChannel(EngineChannel* c, AudioDriverOps* d, const TrackRoute& r, const CreateArgs& a, bool isNew) {
  TakeDeviceFormat(c, d);
  if (c->frameChannels < 1) c->frameChannels = 2;
  if (int16_t err = AllocateChannelBlocks(c, c->framesPerBlock)) return err;
  if (!isNew) return 0;
  PrepareDeviceForFirstChannel(d, c);
  if (r.plugin) {
    c->instrumentIndex = int16_t(r.instrument);
    uint8_t* record = r.instrument >= 0 ? GetInstrumentRecord(r.instrument) : nullptr;
    Handle rack = record ? InstrumentView(record).InsertRack() : Handle();
    // The instrument's own channel, when another one renders its chain (never the channel
    // itself: a channel fed into itself would double).
    EngineChannel* own = rack && (RackHasInsertChain(rack) || a.mode == kModeTargetAlways) ? GetRackEngineChannel(rack)
                                                                                        : nullptr;
    c->targetChannel = own != c ? own : nullptr;
  }
  c->next = d->channelList;
  d->channelList = c;
  return 0;
}

// Gives a claimed slot back (the channel failed or has nothing to play).
void DropChannel(EngineChannel* c) {
  DisposeEngineChannel(c, 0, 0);
  if (gEngineChannelCount > 0 && gEngineChannelLists[gEngineChannelCount - 1] == c) --gEngineChannelCount;
}

int16_t CreateTrackChannels(const CreateArgs& a);

int16_t WalkChildren(const uint8_t* track, const CreateArgs& a) {
  TrackEntryView v(const_cast<uint8_t*>(track));
  int32_t children = v.ChildCount();
  Handle child[kMaxChildSequences];
  for (int32_t n = 0; n < children && n < kMaxChildSequences; ++n) child[n] = v.Child(n);
  int16_t err = 0;
  for (int32_t n = 0; n < children && n < kMaxChildSequences && err == 0; ++n) {
    if (!child[n] || PushSongContext() != noErr) continue;
    SetCurrentSong(child[n]);
    CreateArgs inner = a;
    inner.single = false;
    err = CreateTrackChannels(inner);
    PopSongContext();
  }
  return err;
}

int16_t CreateOneTrackChannel(const uint8_t* track, const CreateArgs& a) {
  if (track[kTrackFlags] & kTrackFlagSilent) return 0;
  TrackRoute r = ResolveRoute(track);
  if (!r.audio && !r.plugin) return a.single ? kEngineErrNothingToPlay : 0;
  EngineChannel* c = FindExistingChannel(gCurrentSongHandle, track[kTrackNumber], r);
  bool isNew = c == nullptr;
  if (isNew) {
    if (int16_t err = ClaimEngineChannel(&c)) return err;
  } else if (c->trackNumberCopy != track[kTrackNumber]) {
    return 0;  // another track of the same plug-in device
  }
  FillFromTrack(c, track, r, a);
  int16_t err = 0;
  int64_t length = r.audio ? FillRegions(c, track, &err) : kPlayToEnd;
  AudioDriverOps* d = FindChannelDevice(a, r);
  if (r.port == kSilentPort && r.audio) length = 0;
  if (err == 0 && !d) err = kEngineErrDeviceMissing;
  if (err == 0 && length > 0) err = UseChannel(c, d, r, a, isNew);
  if (err != 0 || length <= 0) {
    if (isNew) DropChannel(c);
    return err != 0 ? err : (a.single ? kEngineErrNothingToPlay : 0);
  }
  if (r.audio) TakeTrackAudio(c);
  if (isNew && r.plugin && r.instrument >= 0)
    err = CreateOutputChannels(c, d, nullptr, a.mode);
  return err;
}

int16_t CreateTrackChannels(const CreateArgs& a) {
  if (!gCurrentSong) return 0;
  int32_t count = SongHeaderView(gCurrentSong).TrackCount();
  for (int32_t i = 0; i < count; ++i) {
    uint8_t* track = GetTrackEntryAt(i);
    if (!track) break;
    gCurrentTrack = track;
    if (int16_t err = CreateOneTrackChannel(track, a)) return err;
    track = GetTrackEntryAt(i);
    if (track) {
      if (int16_t err = WalkChildren(track, a)) return err;
    }
  }
  return 0;
}

}  // namespace

bool SongHasAudioTracks(Handle song) {
  if (!song || PushSongContext() != noErr) return false;
  SetCurrentSong(song);
  bool found = false;
  int32_t count = gCurrentSong ? SongHeaderView(gCurrentSong).TrackCount() : 0;
  for (int32_t i = 0; i < count && !found; ++i) {
    uint8_t* track = GetTrackEntryAt(i);
    if (!track) break;
    gCurrentTrack = track;
    found = !(track[kTrackFlags] & kTrackFlagSilent) && ResolveRoute(track).audio;
  }
  PopSongContext();
  return found;
}

int16_t CreateEngineChannel(int32_t mode, int64_t rangeStart, int64_t rangeEnd, AudioDriverOps* device,
                            int32_t singleTrack, uint8_t noTrack) {
  CreateArgs a{mode, rangeStart, rangeEnd, device, noTrack, singleTrack != 0};
  if (!a.single) return CreateTrackChannels(a);
  if (!gCurrentSong || !gCurrentTrack) return kEngineErrNothingToPlay;
  int16_t err = CreateOneTrackChannel(gCurrentTrack, a);
  return err == 0 ? WalkChildren(gCurrentTrack, a) : err;
}

#include "mixer/outputs/value_moves.h"

#include <algorithm>
#include <vector>

#include "editors/automation/automation_points.h"
#include "mixer/outputs/instrument_values.h"
#include "mixer/outputs/value_templates.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/midi/midi_input.h"
#include "song/conductor/sample_position.h"
#include "song/events/data_events.h"
#include "song/events/event_lists.h"
#include "song/events/event_seek.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/instrument_volumes.h"
#include "song/instruments/rack_automation_fields.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_edit_brackets.h"
#include "song/model/transport_hooks.h"
#include "song/model/utility_track_access.h"

namespace {

// A strip whose values live in its rack: one that plays through a plug-in, an aux bus, the
// master.
bool KeepsValuesInRack(const uint8_t* record) {
  InstrumentView view(const_cast<uint8_t*>(record));
  if (!view.InsertRack()) return false;
  return view.DeviceKind(0) == kDeviceKindPlugin || view.HasFlag(kInstFlagAuxBus) || record == GetMasterEntry();
}

// The controller event of the strip's controller at tick in the current track, or null.
uint8_t* FindControllerEventAt(uint32_t tick, uint8_t controller, uint8_t channel, bool anyChannel) {
  Handle list = GetCurrentTrackEventList();
  if (!list || !*list) return nullptr;
  uint8_t* start = reinterpret_cast<uint8_t*>(*list);
  uint32_t size = uint32_t(GetHandleSize(list));
  uint8_t* e = SeekEventListWithin(start, size, int32_t(tick));
  while (e < start + size && SeqEventTime(e) == tick) {
    uint32_t step = EventStepWithin(e, uint32_t(start + size - e));
    if (step == 0) break;
    if (SeqEventKind(e) == kKindController && e[kEventData1] == controller && (anyChannel || EventChannel(e) == channel))
      return e;
    e += step;
  }
  return nullptr;
}

int16_t WriteControllerEvent(const uint8_t* record, uint8_t controller, int32_t value, uint32_t tick) {
  uint8_t channel = record[kInstChannels] & 0x0F;
  bool ownChannel = gCurrentTrack && (gCurrentTrack[kTrackFlags] & kTrackFlagPlaysInstrument);
  uint8_t v = uint8_t(std::clamp(value, 0, 127));
  if (uint8_t* e = FindControllerEventAt(tick, controller, channel, ownChannel)) {
    e[kEventData2] = v;
    return noErr;
  }
  return InsertShortEvent(channel, tick, kKindController, controller & 0x7F, v);
}

int16_t WriteTemplateEvent(const uint8_t* record, Handle templ, int32_t value, uint32_t tick) {
  std::vector<uint8_t> copy(size_t(GetHandleSize(templ)));
  int32_t n = FillValueTemplate(templ, value, record[kInstChannels], copy.data(), int32_t(copy.size()));
  if (n <= 0) return kBadTemplateErr;
  return InsertDataEventAt(tick, copy.data(), uint32_t(n));
}

// The tracks that take recorded moves: the armed ones, else the song's record track.
std::vector<int32_t> RecordTracks() {
  std::vector<int32_t> tracks;
  if (!gCurrentSong) return tracks;
  int32_t count = ReadU16BE(gCurrentSong + kSongTrackCount);
  for (int32_t i = 0; i < count; ++i)
    if (uint8_t* te = GetTrackEntryAt(i); te && (te[kTrackModeFlags] & kTrackModeArmed)) tracks.push_back(i);
  int8_t recordTrack = int8_t(gCurrentSong[kSongRecordTrack]);
  if (tracks.empty() && recordTrack >= 0 && recordTrack < count) tracks.push_back(recordTrack);
  return tracks;
}

}  // namespace

bool AreValueMovesRecorded() {
  return (gInstrumentWindowOptions & kRecordValueMoves) && IsClockTaskPlaying() &&
         !(gMidiInputFlags & kInputPollSuspended);
}

int16_t WriteInstrumentValueEvent(uint8_t* record, uint8_t templateBit, int32_t templateField,
                                  int32_t controllerField, int32_t value, uint32_t tick) {
  if (!record) return paramErr;
  OSErr err = EnsureTrackEventList();
  if (err != noErr) return err;
  BeginTrackEdit();
  Handle templ(ReadU32BE(record + templateField));
  if ((record[kInstMixerFlags] & templateBit) && templ) err = WriteTemplateEvent(record, templ, value, tick);
  else err = WriteControllerEvent(record, record[controllerField], value, tick);
  EndTrackEdit();
  if (err == noErr) SetSongModified();
  return err;
}

int16_t AddStripValuePoint(uint8_t* record, int32_t controllerField, int32_t value, uint32_t tick) {
  Handle rack = InstrumentView(record).InsertRack();
  if (!rack) return kNoTrackRackErr;
  bool volume = controllerField == kInstVolumeController;
  bool send = IsSendShown() && record == CurrentInstrumentRecord();
  uint8_t kind = volume ? (send ? kAutomationSendLevel : kAutomationVolume) : (send ? kAutomationSendPan : kAutomationPan);
  int16_t target = send ? int16_t(GetSendBus(record, gInstrumentWindowPart - 1)) : 0;
  int64_t position = TickToSamplePosition(int32_t(std::max<uint32_t>(tick, 1)), GetRackSampleRate(rack));
  int32_t level = volume ? int32_t(VolumeCurveValue(value)) : 0;
  int16_t pan = volume ? 0 : int16_t(std::clamp(value, 0, 127));
  return AddAutomationPoint(AutomationListRef{rack}, uint64_t(std::max<int64_t>(position, 0)), level, pan, kind, target);
}

int16_t WriteStripValues(bool withPlugin, uint32_t tick, int32_t which) {
  uint8_t* record = CurrentInstrumentRecord();
  if (!record) return paramErr;
  int16_t err = noErr;
  if (which & 1) {
    int32_t v = CurrentInstrumentSlotValue();
    err = withPlugin ? AddStripValuePoint(record, kInstVolumeController, v, tick)
                     : WriteInstrumentValueEvent(record, kVolumeThroughTemplate, kInstVolumeAssignment,
                                                 kInstVolumeController, v, tick);
  }
  if ((which & 2) && err == noErr) {
    const uint8_t* pan = CurrentInstrumentSlotPtr();
    int32_t v = pan ? *pan : 64;
    err = withPlugin ? AddStripValuePoint(record, kInstPanController, v, tick)
                     : WriteInstrumentValueEvent(record, kPanThroughTemplate, kInstPanAssignment, kInstPanController,
                                                 v, tick);
  }
  return err;
}

int16_t RecordValueMove(uint8_t* record, uint8_t templateBit, int32_t templateField, int32_t controllerField,
                        int32_t value) {
  uint32_t tick = std::max<uint32_t>(GetSongPositionTick(), 1);
  if (KeepsValuesInRack(record)) return AddStripValuePoint(record, controllerField, value, tick);
  int32_t kept = GetCurrentTrackIndex();
  int16_t err = noErr;
  for (int32_t track : RecordTracks()) {
    SetCurrentTrackIndex(track);
    int16_t e = WriteInstrumentValueEvent(record, templateBit, templateField, controllerField, value, tick);
    if (err == noErr) err = e;
  }
  SetCurrentTrackIndex(kept);
  return err;
}

#include "mixer/instrument_window/strip_values.h"

#include <algorithm>

#include "mixer/instrument_window/strip_drawing.h"
#include "mixer/instrument_window/strip_geometry.h"
#include "mixer/instrument_window/window_options.h"
#include "mixer/outputs/instrument_values.h"
#include "mixer/outputs/value_moves.h"
#include "platform/memory/byte_order.h"
#include "shell/windows/instrument_strip_layout.h"
#include "song/conductor/conductor_map.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/instrument_volumes.h"
#include "song/model/transport_hooks.h"
#include "song/model/window_redraw.h"

namespace {

uint8_t* SendSlot(uint8_t* record, int32_t send) { return record + kInstSends + kInstSendSize * send; }

// Runs fn with gCurrentInstrument set to each entry in turn, then restores it.
template <typename Fn>
void ForEachStrip(Fn fn) {
  int32_t saved = gCurrentInstrument;
  for (int32_t i = 0; i <= GetMasterIndex(); ++i) {
    gCurrentInstrument = i;
    fn(i);
  }
  gCurrentInstrument = saved;
}

uint8_t* OptionByte(int32_t index, uint8_t* record) {
  int32_t send = ShownSendOf(index);
  return send >= 0 ? SendSlot(record, send) + 3 : record + kInstOptions;
}

bool HasMasterVolumeAtStart() {
  for (uint8_t* p = GetConductorMap(); p; p += kConductorRecordSize) {
    ConductorRecordView record(p);
    if (record.Tick() > 1 || record.Tick() == kConductorEndTick || record.Kind() == kConductorEnd) return false;
    if (record.Kind() == kConductorMasterVolume) return true;
  }
  return false;
}

// A master fader move while moves are recorded: the volume before the move at the song's
// start when the map has none there yet, then the new one at the song position.
void RecordMasterVolumeMove(int32_t before, int32_t now) {
  if (!HasMasterVolumeAtStart()) SetMasterVolumeAt(before, 1);
  SetMasterVolumeAt(now, int32_t(GetSongPositionTick()));
}

uint8_t MuteBit(int32_t index) { return ShownSendOf(index) >= 0 ? kSendMute : kInstOptionMute; }
uint8_t SoloBit(int32_t index) { return ShownSendOf(index) >= 0 ? kSendSolo : kInstOptionSolo; }

}  // namespace

bool IsMasterStrip(int32_t index) { return index == GetMasterIndex(); }
bool IsAuxBusStrip(int32_t index) { return index >= gInstrumentCount && index < GetMasterIndex(); }

int32_t ShownSendOf(int32_t index) {
  return gInstrumentWindowPart > 0 && index >= 0 && index < gInstrumentCount ? gInstrumentWindowPart - 1 : -1;
}

int32_t GetCurrentStripVolume() { return CurrentInstrumentRecord() ? CurrentInstrumentSlotValue() : 0; }

int32_t GetCurrentStripPan() {
  const uint8_t* pan = CurrentInstrumentSlotPtr();
  return pan ? *pan : 64;
}

void SetCurrentPanValue(int32_t value, bool send, bool redraw) {
  uint8_t* r = CurrentInstrumentRecord();
  if (!r) return;
  SetCurrentInstrumentSlotPan(value);
  if (send) SendCurrentPan(kValueSendAndRecord);
  if (redraw) {
    RedrawStripElement(kStripPanValue);
    RedrawStripElement(kStripPanKnob);
  }
  if (gInstrumentWindowOptions & kLinkedToEditor) InvalidateEditorWindow();
}

void SetCurrentVolumeValue(int32_t value, int32_t flags) {
  uint8_t* r = CurrentInstrumentRecord();
  if (!r) return;
  int32_t before = GetCurrentStripVolume();
  if (IsMasterStrip(gCurrentInstrument) && !IsSendShown()) {
    SetMasterVolumeFromWindow(value);
    if (AreValueMovesRecorded()) RecordMasterVolumeMove(before, GetInstrumentVolume(r));
  } else {
    SetCurrentInstrumentSlotValue(value);
  }
  if ((flags & kStripValueSend) && !IsMasterStrip(gCurrentInstrument)) SendCurrentVolume(kValueSendAndRecord);
  if (flags & kStripValueRedraw) {
    RedrawStripElement(kStripVolumeValue);
    MoveStripFaderThumb(before, value);
  }
  if (gInstrumentWindowOptions & kLinkedToEditor) InvalidateEditorWindow();
}

void SetLinkedStripVolume(int32_t value) {
  uint8_t* moved = CurrentInstrumentRecord();
  if (!moved) return;
  int32_t difference = std::clamp(value, 0, 127) - GetCurrentStripVolume();
  SetCurrentVolumeValue(value, kStripValueSend | kStripValueRedraw);
  if (ShownSendOf(gCurrentInstrument) >= 0 || (!moved[kInstLinkPrevious] && !moved[kInstLinkNext])) return;
  const int32_t self = gCurrentInstrument, newValue = GetCurrentStripVolume();
  const bool alternate = (moved[kInstFlags] & kInstFlagAlternate) != 0;
  int32_t head = self;
  for (int guard = 0; guard < kMaxInstruments; ++guard) {
    const uint8_t* r = GetInstrumentRecord(head);
    if (!r || r[kInstLinkPrevious] == 0) break;
    head = r[kInstLinkPrevious] - 1;
  }
  int32_t saved = gCurrentInstrument;
  for (int32_t i = head, guard = 0; i >= 0 && guard < kMaxInstruments; ++guard) {
    uint8_t* r = GetInstrumentRecord(i);
    if (!r) break;
    int32_t next = r[kInstLinkNext] - 1;
    if (i != self) {
      gCurrentInstrument = i;
      bool sameSide = ((r[kInstFlags] & kInstFlagAlternate) != 0) == alternate;
      int32_t target = (r[kInstOptions] & kInstOptionTakesLinkedValue) ? newValue
                                                             : GetInstrumentVolume(r) + (sameSide ? difference : -difference);
      SetCurrentVolumeValue(target, kStripValueSend | kStripValueRedraw);
    }
    i = next;
  }
  gCurrentInstrument = saved;
}

bool IsStripMuted(int32_t index) {
  uint8_t* r = GetInstrumentRecord(index);
  return r && (*OptionByte(index, r) & MuteBit(index));
}

bool IsStripSoloed(int32_t index) {
  uint8_t* r = GetInstrumentRecord(index);
  return r && (*OptionByte(index, r) & SoloBit(index));
}

bool IsStripAudible(int32_t index) {
  uint8_t* r = GetInstrumentRecord(index);
  if (!r) return false;
  int32_t send = ShownSendOf(index);
  return send >= 0 ? (SendSlot(r, send)[3] & kSendAudible) != 0 : (r[kInstFlags] & kInstFlagActive) != 0;
}

bool IsAnyStripSoloed() {
  for (int32_t i = 0; i < GetMasterIndex(); ++i)
    if (IsStripSoloed(i)) return true;
  return false;
}

void RecomputeAudibleFlags() {
  const bool solo = IsAnyStripSoloed();
  ForEachStrip([&](int32_t i) {
    uint8_t* r = GetInstrumentRecord(i);
    if (!r) return;
    bool audible = IsMasterStrip(i) || (solo ? IsStripSoloed(i) : !IsStripMuted(i));
    if (audible == IsStripAudible(i)) return;
    int32_t send = ShownSendOf(i);
    uint8_t* flags = send >= 0 ? SendSlot(r, send) + 3 : r + kInstFlags;
    uint8_t bit = send >= 0 ? kSendAudible : kInstFlagActive;
    *flags = uint8_t(audible ? (*flags | bit) : (*flags & ~bit));
    SendCurrentVolume(kValueSendOnly);
    RedrawStripElement(kStripMuteLamp);
    RedrawStripElement(kStripSoloLamp);
  });
  InvalidateEditorWindow();
}

namespace {

void ToggleBit(uint8_t bit) {
  uint8_t* r = CurrentInstrumentRecord();
  if (!r || IsMasterStrip(gCurrentInstrument)) return;
  uint8_t* option = OptionByte(gCurrentInstrument, r);
  *option ^= bit;
  RecomputeAudibleFlags();
}

}  // namespace

void ToggleCurrentStripMute() {
  // While another strip is soloed, the mute lamp takes this strip in or out of the solo.
  ToggleBit(IsAnyStripSoloed() ? SoloBit(gCurrentInstrument) : MuteBit(gCurrentInstrument));
}

void ToggleCurrentStripSolo() { ToggleBit(SoloBit(gCurrentInstrument)); }

void ClearAllStripSolos() {
  for (int32_t i = 0; i < GetMasterIndex(); ++i)
    if (uint8_t* r = GetInstrumentRecord(i)) *OptionByte(i, r) &= uint8_t(~SoloBit(i));
  RecomputeAudibleFlags();
}

bool IsStripSelected(int32_t index) {
  const uint8_t* r = GetInstrumentRecord(index);
  return r && (r[kInstFlags] & kInstFlagSelected);
}

void SetStripSelected(int32_t index, bool selected) {
  if (uint8_t* r = GetInstrumentRecord(index))
    r[kInstFlags] = uint8_t(selected ? (r[kInstFlags] | kInstFlagSelected) : (r[kInstFlags] & ~kInstFlagSelected));
}

void DeselectOtherStrips(int32_t keep) {
  for (int32_t i = 0; i <= GetMasterIndex(); ++i)
    if (i != keep) SetStripSelected(i, false);
}

void MoveSelectedStripVolumes(int32_t difference) {
  int32_t saved = gCurrentInstrument;
  for (int32_t i = 0; i <= GetMasterIndex(); ++i) {
    if (!IsStripSelected(i)) continue;
    gCurrentInstrument = i;
    SetCurrentVolumeValue(GetCurrentStripVolume() + difference, kStripValueSend | kStripValueRedraw);
  }
  gCurrentInstrument = saved;
}

#include "song/dialogs/meter_key_dialog.h"

#include "platform/system/sys_beep.h"
#include "song/conductor/conductor_edits.h"
#include "song/conductor/conductor_lock_state.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/timebase.h"
#include "song/events/time_selection.h"
#include "song/events/utility_event_selection.h"
#include "song/model/key_codes.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"

SignatureDialogOptions gSignatureDialogOptions;

namespace {

constexpr int32_t kLastTick = kConductorEndTick - 1;

struct Meter {
  int32_t beatsPerBar;
  int32_t ticksPerBeat;
  int32_t ticksPerBar;
  bool operator==(const Meter&) const = default;
};

Meter StateMeter() {
  return {gConductorState.beatsPerBar, gConductorState.ticksPerBeat, gConductorState.ticksPerBar};
}

void SetStateMeter(const Meter& m) {
  gConductorState.beatsPerBar = m.beatsPerBar;
  gConductorState.ticksPerBeat = m.ticksPerBeat;
  gConductorState.ticksPerBar = m.ticksPerBar;
}

int32_t SongEndTick() { return gCurrentSong ? int32_t(ReadU32BE(gCurrentSong + kSongEndTick)) : 1; }

// Pitch class of the tonic of a key code (the minor tonic for a minor key).
int32_t KeyTonic(uint8_t code) {
  int32_t place = KeyPlace(code) % kKeyPlaces;
  int32_t tonic = (place * 7) % 12;
  return IsMinorKey(code) ? (tonic + 9) % 12 : tonic;
}

int32_t CountGroups(const int32_t* groups) {
  int32_t n = 0;
  while (n < kMaxBeatGroups && groups[n] > 0) ++n;
  return n;
}

// Writes the meter changes of the fields from start; end is the (adjusted) range end.
void WriteMeter(const SignatureDialogFields& f, int32_t start, int32_t* end, bool atSongEnd,
                Meter* behind) {
  SetTimeSignature(f.numerator, f.denominator);
  Meter meter = StateMeter();
  if (!atSongEnd && meter.ticksPerBar > 0) {
    int64_t bars = (int64_t(*end) - start + meter.ticksPerBar - 1) / meter.ticksPerBar;
    int64_t moved = start + bars * meter.ticksPerBar;
    *end = int32_t(moved > kLastTick ? kLastTick : moved);
    GetConductorStateAt(*end + 1);
    *behind = StateMeter();
  }
  gConductorRange[1] = *end;
  DeleteMeterChangesInRange();
  GetConductorStateAt(start);
  Meter atStart = StateMeter();
  SetStateMeter(meter);
  if (meter != atStart || f.groupedBeats) {
    int32_t groups = f.groupedBeats ? CountGroups(f.groups) : 0;
    SignatureDialogOptions& o = gSignatureDialogOptions;
    o.groupCount = groups;
    for (int32_t i = 0; i < kMaxBeatGroups; ++i) o.groups[i] = i < groups ? f.groups[i] : 0;
    if (groups == 0) {
      o.optionByte &= uint8_t(~kSignatureGroupedBeats);
      StoreMeterAt(start);
    } else {
      // Bar by bar, cycling through the groups; a range that runs to the song's end stops
      // at the song's end tick.
      int32_t stop = atSongEnd ? SongEndTick() : *end;
      int64_t bar = start;
      int32_t i = 0;
      do {
        SetTimeSignature(f.groups[i], f.denominator);
        StoreMeterAt(int32_t(bar));
        bar += gConductorState.ticksPerBar > 0 ? gConductorState.ticksPerBar : 1;
        i = (i + 1) % groups;
      } while (bar < stop);
    }
  }
  if (!atSongEnd && StateMeter() != *behind) {
    SetStateMeter(*behind);
    StoreMeterAt(*end);
  }
  SnapMeterChangesToBars();
}

void WriteKey(const SignatureDialogFields& f, int32_t start, int32_t end, bool atSongEnd,
              uint8_t behind) {
  DeleteKeySignaturesInRange();
  uint8_t key = SpellPitchClass(f.keyPitch);
  GetConductorStateAt(start);
  if (gConductorState.key != key) {
    gConductorState.key = key;
    SetKeySignatureAt(start);
  }
  if (!atSongEnd && behind != key) {
    gConductorState.key = behind;
    SetKeySignatureAt(end);
  }
}

}  // namespace

SignatureDialogFields GetSignatureDialogDefaults() {
  SignatureDialogFields f;
  int32_t from = 0;
  int32_t to = TickToBarRoundedUp(SongEndTick());
  if (HasTimeSelection()) {
    from = TickToBar(int32_t(gTimeSelection.start.tick));
    to = TickToBarRoundedUp(int32_t(gTimeSelection.end.tick));
  }
  GetConductorStateAt(BarToTick(from) + 1);
  SetMinorFlagFromKey();
  const SignatureDialogOptions& o = gSignatureDialogOptions;
  f.fromBar = from + 1;
  f.toBar = to + 1;
  f.changeMeter = (o.optionByte & kSignatureChangeMeter) != 0;
  f.changeKey = (o.optionByte & kSignatureChangeKey) != 0;
  f.groupedBeats = (o.optionByte & kSignatureGroupedBeats) != 0 && o.groupCount > 0;
  f.numerator = gConductorState.beatsPerBar;
  if (f.groupedBeats) {
    f.numerator = 0;
    for (int32_t i = 0; i < o.groupCount; ++i) {
      f.groups[i] = o.groups[i];
      f.numerator += o.groups[i];
    }
  }
  int32_t ticksPerBeat = gConductorState.ticksPerBeat > 0 ? gConductorState.ticksPerBeat : 1;
  f.denominator = gWholeNoteTicks / ticksPerBeat;
  f.keyPitch = KeyTonic(gConductorState.key);
  return f;
}

int32_t BalanceBeatGroups(SignatureDialogFields* f) {
  if (!f->groupedBeats) return 0;
  int32_t sum = 0;
  for (int32_t g : f->groups) sum += g > 0 ? g : 0;
  if (sum > f->numerator) {
    SysBeep(5);
  } else if (sum < f->numerator) {
    int32_t i = 0;
    while (i < kMaxBeatGroups - 1 && f->groups[i] > 0) ++i;
    f->groups[i] = (f->groups[i] > 0 ? f->groups[i] : 0) + f->numerator - sum;
  }
  return sum;
}

bool ApplySignatureDialog(const SignatureDialogFields& f) {
  ConductorLockState lock;
  SaveConductorLockState(&lock);
  int32_t start = BarToTick(f.fromBar - 1 > 0 ? f.fromBar - 1 : 0);
  int32_t end = BarToTick(f.toBar - 1 > 0 ? f.toBar - 1 : 0);
  if (end < start) {
    RestoreConductorLockState(&lock);
    return false;
  }
  uint8_t& options = gSignatureDialogOptions.optionByte;
  options = uint8_t((f.changeMeter ? kSignatureChangeMeter : 0) |
                    (f.changeKey ? kSignatureChangeKey : 0) |
                    (f.groupedBeats ? kSignatureGroupedBeats : 0));
  GetConductorStateAt(end + 1);
  Meter behindMeter = StateMeter();
  uint8_t behindKey = gConductorState.key;
  gConductorRange[0] = start;
  gConductorRange[1] = end;
  bool atSongEnd = IsRangeEndAtSongEnd();
  if (atSongEnd) end = kLastTick;
  gConductorRange[1] = end;
  if (f.changeMeter) WriteMeter(f, start, &end, atSongEnd, &behindMeter);
  gConductorRange[0] = start;
  gConductorRange[1] = end;
  if (f.changeKey) WriteKey(f, start, end, atSongEnd, behindKey);
  RestoreConductorLockState(&lock);
  // A range that ran to the song's end ends at the song's end, not at the far tick.
  if (options) ApplyMeterChange(atSongEnd ? SongEndTick() : end);
  return true;
}

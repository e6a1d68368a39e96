#include "editors/views/track_switches.h"

#include <algorithm>

#include "audio/recording/record_arming.h"
#include "audio/recording/record_input_list.h"
#include "platform/windows/windows.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/clock/tick_scheduler.h"
#include "shell/base/error_report.h"
#include "shell/windows/app_windows.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/track_entries.h"
#include "song/model/track_iterators.h"
#include "song/model/track_selection.h"
#include "song/model/track_template.h"
#include "song/model/utility_iteration.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"

namespace {

constexpr uint8_t kMaxSoloCount = 48;
constexpr int16_t kColumnsLeft = 19;
constexpr int16_t kColumnsRight = 55;

bool HasSongTrack() { return gCurrentSong && HasValidCurrentTrack() && gCurrentTrack != gTrackTemplate; }

int32_t UpdateAudible(void*) {
  UpdateTrackMuteFlag();
  return 0;
}

int32_t ClearSolo(void*) {
  gCurrentTrack[kTrackFlags] &= uint8_t(~kTrackFlagSolo);
  return 0;
}

// The procedures of the "selected" switches: every selected track when the current one is
// among them, else the current track alone.
void ForTargetTracks(TrackCallback callback, void* arg) {
  if (!HasSongTrack()) return;
  if (IsTrackEntrySelected(gCurrentTrack)) ForEachSelectedTrackEntry(callback, arg);
  else callback(arg);
}

void ToggleSoloBit() {
  uint8_t& count = gCurrentSong[kSongSoloCount];
  if (gCurrentTrack[kTrackFlags] & kTrackFlagSolo) {
    count = uint8_t(count - 1);
    if (count > kMaxSoloCount) count = 0;
  }
  gCurrentTrack[kTrackFlags] ^= kTrackFlagSolo;
  if ((gCurrentTrack[kTrackFlags] & kTrackFlagSolo) && count < kMaxSoloCount) ++count;
}

int32_t ToggleSoloOf(void*) {
  ToggleSoloBit();
  return 0;
}

int32_t SetMuteOf(void* arg) {
  bool mute = *static_cast<bool*>(arg);
  uint8_t flags = gCurrentTrack[kTrackFlags];
  gCurrentTrack[kTrackFlags] = mute ? uint8_t(flags | kTrackFlagMute) : uint8_t(flags & ~kTrackFlagMute);
  return 0;
}

int32_t ToggleMuteOf(void*) {
  gCurrentTrack[kTrackFlags] ^= kTrackFlagMute;
  return 0;
}

int32_t TogglePlaySwitchOf(void*) {
  ToggleTrackPlaySwitch();
  return 0;
}

struct Disarm {
  uint8_t keep;
};

int32_t DisarmOther(void* arg) {
  if (gCurrentTrack[kTrackNumber] != static_cast<Disarm*>(arg)->keep) gCurrentTrack[kTrackModeFlags] &= uint8_t(~kTrackModeArmed);
  return 0;
}

// The armed track that follows track number `after` in the song (wrapping), -1 for none.
int8_t NextArmedTrack(uint8_t after) {
  int32_t count = SongHeaderView(gCurrentSong).TrackCount();
  int8_t first = -1, next = -1;
  for (int32_t i = 0; i < count; ++i) {
    const uint8_t* t = GetTrackEntryAt(i);
    if (!t || !(t[kTrackModeFlags] & kTrackModeArmed) || t[kTrackNumber] >= kMaxTrackNumbers) continue;
    int8_t n = int8_t(t[kTrackNumber]);
    if (first < 0 || n < first) first = n;
    if (t[kTrackNumber] > after && (next < 0 || n < next)) next = n;
  }
  return next >= 0 ? next : first;
}

}  // namespace

OSErr SetRecordTrack(int8_t n, bool flag) {
  if (!gCurrentSong) return noErr;
  OSErr err = noErr;
  // A take in progress keeps its inputs: only the record track byte changes then.
  if (!IsTransportPlayingOrRecording()) {
    int32_t armed = SongHeaderView(gCurrentSong).ArmedCount();
    err = SetupRecordInputs(armed, n, flag);
    if (armed > 0) {
      OSErr armErr = SetAudioInputsArmed(CountArmedAudioTracks() + CountArmedInstrumentTracks() > 0, nullptr);
      if (err == noErr) err = armErr;
    } else if (flag) {
      SetAudioInputsArmed(false, nullptr);
    }
  }
  gCurrentSong[kSongRecordTrack] = uint8_t(n);
  return err;
}

OSErr SetRecordTrackReporting(int8_t n, bool flag) {
  OSErr err = SetRecordTrack(n, flag);
  if (err != noErr) ReportError(err);
  return err;
}

void RecheckTrackModes() {
  if (gCurrentSong) ForEachTrack(UpdateAudible, nullptr);
  uint8_t* saved = gCurrentTrack;
  gCurrentTrack = gTrackTemplate;
  UpdateTrackMuteFlag();
  gCurrentTrack = saved;
}

void RedrawTrackColumns() {
  if (WindowRef window = gTrackWindowRecord.window) {
    Rect bounds;
    GetWindowPortBounds(window, &bounds);
    Rect columns{bounds.top, kColumnsLeft, bounds.bottom, kColumnsRight};
    InvalWindowRect(window, &columns);
  }
  InvalidateEditorWindow();
}

void ToggleTrackSolo(bool exclusive) {
  if (!HasSongTrack()) return;
  if (exclusive && (gCurrentTrack[kTrackFlags] & kTrackFlagSolo)) {
    ForEachTrack(ClearSolo, nullptr);
    gCurrentTrack[kTrackFlags] |= kTrackFlagSolo;  // the toggle below clears it
    gCurrentSong[kSongSoloCount] = 1;
  }
  ToggleSoloBit();
  RecheckTrackModes();
  RedrawTrackColumns();
}

void ToggleTrackMute() {
  if (!HasSongTrack()) return;
  gCurrentTrack[kTrackFlags] ^= kTrackFlagMute;
  UpdateTrackMuteFlag();
  RedrawTrackColumns();
}

void SoloSelectedTracks(bool exclusive) {
  if (!HasSongTrack()) return;
  // Exclusive on a soloed track ends every solo at once; otherwise each target toggles.
  if (exclusive && (gCurrentTrack[kTrackFlags] & kTrackFlagSolo)) return ToggleTrackSolo(true);
  ForTargetTracks(ToggleSoloOf, nullptr);
  RecheckTrackModes();
  RedrawTrackColumns();
}

void MuteOrSoloSelectedTracks(bool exclusive) {
  if (!HasSongTrack()) return;
  // While tracks are soloed the mute column changes the solo, as an instrument strip's does.
  if (gCurrentSong[kSongSoloCount] != 0) return SoloSelectedTracks(exclusive);
  if (exclusive) {
    bool mute = !(gCurrentTrack[kTrackFlags] & kTrackFlagMute);
    ForEachTrack(SetMuteOf, &mute);
  } else {
    ForTargetTracks(ToggleMuteOf, nullptr);
  }
  RecheckTrackModes();
  RedrawTrackColumns();
}

void ToggleRecordArm(bool keepOthers) {
  if (!HasSongTrack() || IsTransportPlayingOrRecording() || IsSongLocked()) return;
  if (!IsTrackEntrySelected(gCurrentTrack)) {
    SelectCurrentTrackSlot();
    RecomputeSelectionBounds(gTrackSelection, true);
  }
  uint8_t number = gCurrentTrack[kTrackNumber];
  gCurrentTrack[kTrackModeFlags] ^= kTrackModeArmed;
  int8_t candidate = int8_t(number);
  if (!(gCurrentTrack[kTrackModeFlags] & kTrackModeArmed)) {
    candidate = NextArmedTrack(number);
  } else if (!keepOthers) {
    Disarm disarm{number};
    ForEachTrack(DisarmOther, &disarm);
  }
  // The armed count is recounted rather than stepped, so it never wraps below 0.
  gCurrentSong[kSongArmedCount] = uint8_t(std::min<int32_t>(CountArmedTracks(), 0xFF));
  SetRecordTrackReporting(candidate, true);
  InvalidateTrackWindow();
  RedrawTrackColumns();
}

void ToggleTrackPlaySwitch() {
  if (!HasSongTrack()) return;
  gCurrentTrack[kTrackFlags] ^= kTrackFlag40;
  InvalidateTrackWindow();
  if (IsClockTaskPlaying()) RequestTrackReseek(GetCurrentTrackIndex());
}

void PlaySwitchSelectedTracks() { ForTargetTracks(TogglePlaySwitchOf, nullptr); }

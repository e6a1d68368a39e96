#include "editing/select_all.h"

#include "editing/edit_context.h"
#include "editing/edit_window_hooks.h"
#include "platform/memory/memory.h"
#include "song/conductor/conductor_map.h"
#include "song/events/event_lists.h"
#include "song/events/seq_event.h"
#include "song/events/time_selection.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_selection.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"

namespace {

constexpr int16_t kSelectAllItem = 23;

void SelectEveryEventOfCurrentTrack() {
  Handle list = GetCurrentTrackEventList();
  if (!list) return;
  uint8_t* start = reinterpret_cast<uint8_t*>(HandleData(list));
  uint8_t* stop = FindEventListEnd(start, GetHandleSize(list));
  for (uint8_t* e = start; e < stop;) {
    uint32_t length = GetSeqEventLength(e);
    if (length == 0) break;
    e[kEventFlags] |= kEventSelected;
    e += length;
  }
}

void SelectEveryConductorRecord() {
  for (uint8_t* r = GetConductorMap(); ConductorKind(r) != kConductorEnd; r += kConductorRecordSize)
    r[kConductorFlagsOffset] |= kConductorSelected;
}

}  // namespace

void SelectAllInContext() {
  if (gEditContextKind == kContextJukebox) {
    SendJukeboxEditItem(kSelectAllItem);
    return;
  }
  if (!gCurrentSong) return;
  SetTimeRange(1, ReadU32BE(gCurrentSong + kSongEndTick));
  SelectAllTracks();
  if (IsEditorContext() || gEditContextKind == kContextEventList) SelectEveryEventOfCurrentTrack();
  if (gEditContextKind == kContextConductorList) SelectEveryConductorRecord();
  StoreSelectionInSong();
  RedrawAll(0);
}

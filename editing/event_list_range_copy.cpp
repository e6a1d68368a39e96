#include "editing/event_list_range_copy.h"

#include "editing/clipboard_copy.h"
#include "editing/edit_context.h"
#include "editing/event_clipboard.h"
#include "editing/paste.h"
#include "editing/paste_options.h"
#include "editors/timeline/click_state.h"
#include "platform/memory/memory.h"
#include "song/events/time_selection.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_selection.h"
#include "song/model/utility_track_access.h"

namespace {

// The current track's list becomes list; the one it had is returned.
Handle SwapTrackList(Handle list) {
  Handle kept(ReadU32BE(gCurrentTrack + kTrackEventList));
  WriteU32BE(gCurrentTrack + kTrackEventList, list.id);
  WriteU32BE(gCurrentTrack + kTrackEventBytes, list ? uint32_t(GetHandleSize(list)) : 0);
  return kept;
}

void CopyFromList(Handle source, uint32_t start, uint32_t end) {
  uint8_t selection[kTrackSelectionSize];
  SaveTrackSelection(selection);
  SelectCurrentTrackOnly(false);
  Handle own = SwapTrackList(source);
  SetTimeRange(start, end);
  CopyToClipboard(0, 2);
  SwapTrackList(own);
  RestoreTrackSelection(selection);
}

}  // namespace

OSErr CopyRangeBetweenEventLists(Handle source, Handle destination, uint32_t start, uint32_t end,
                                 uint32_t extend, bool merge) {
  if (!HasValidCurrentTrack() || !destination) return paramErr;
  uint32_t context = gEditContextKind;
  uint8_t low = gFilterLowNote, high = gFilterHighNote;
  gEditContextKind = kContextEditorNotes;
  gFilterLowNote = 0;
  gFilterHighNote = 127;
  ClipboardState kept;
  if (source) {
    SaveClipboardState(&kept);
    CopyFromList(source, start, end);
  }
  SetTimeRange(start, extend ? start + extend : end);
  Handle own = SwapTrackList(destination);
  gPasteMerge = merge ? 1 : 0;
  OSErr err = PasteIntoCurrentTrack();
  gPasteMerge = 0;
  SwapTrackList(own);
  if (source) {
    ClipboardCommand(true, true);
    RestoreClipboardState(&kept, false);
  }
  gFilterLowNote = low;
  gFilterHighNote = high;
  gEditContextKind = context;
  return err;
}

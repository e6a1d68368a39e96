#include "shell/app/idle_steps.h"

#include "editors/note_entry/editor_clicks.h"
#include "editors/rulers/bar_ruler.h"
#include "editors/toolbar/toolbar_fields.h"
#include "platform/memory/byte_order.h"
#include "platform/quickdraw/ports.h"
#include "sequencer/midi/instrument_routing.h"
#include "shell/drawing/drawing_ports.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/editor_panes.h"
#include "shell/windows/target_pane.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/model/song_layout.h"
#include "song/model/song_context.h"
#include "song/model/songs.h"
#include "song/model/track_numbers.h"
#include "song/model/utility_track_access.h"

int16_t gShownTrackProgram = -1;

namespace {

constexpr uint8_t kTakeProgramBits[] = {0x20, 0x40};

// The tool bar's fields drawn again when the editor shows its tool bar.
void RedrawToolbarFields() {
  if (!gMainEditorRecord.window) return;
  if (gEditorLayout.toolbar.bottom - gEditorLayout.toolbar.top < kToolStripHeight) return;
  GrafPtr saved = nullptr;
  GetPort(&saved);
  FocusAppWindow(&gMainEditorRecord);
  DrawToolbarFields(false);
  if (saved) SetPort(saved);
}

// The program an instrument holds for its tracks to take, once: each waiting bit is cleared;
// -1 when none waits.
int32_t TakeWaitingProgram(uint8_t* instrument) {
  int32_t program = -1;
  for (uint8_t bit : kTakeProgramBits) {
    if (!(instrument[kInstMixerFlags] & bit)) continue;
    instrument[kInstMixerFlags] &= uint8_t(~bit);
    program = ReadI32BE(instrument + kInstTakeProgram);
  }
  return program;
}

// A track that plays through its instrument shows the instrument's program and takes a
// program the instrument holds for it.
void FollowTrackInstrument(uint8_t* te) {
  gCurrentInstrument = GetTrackInstrument(te, 0);
  if (gCurrentInstrument < 0 || gCurrentInstrument >= gInstrumentCount) return;
  uint8_t* instrument = GetInstrumentRecord(gCurrentInstrument);
  if (!instrument) return;
  te[kTrackProgram] = instrument[kInstTrackByte71];
  int32_t program = TakeWaitingProgram(instrument);
  if (program < 0) return;
  WriteU16BE(te + kTrackLastProgram, uint16_t(int16_t(program)));
  WriteU16BE(te + kTrackBank, GetBankWordForProgram(program, ReadU16BE(te + kTrackBank)));
  RedrawToolbarFields();
}

}  // namespace

void UpdateEditorInstrumentDisplay() {
  if (!gCurrentSong) return;
  int32_t keptInstrument = gCurrentInstrument;
  int16_t p = FindTargetPane(false);
  if (p < 0 || p >= gEditorPaneCount) return;
  int32_t index = gTrackNumberMap[gEditorPanes[p].track];
  uint8_t* te = index < ReadU16BE(gCurrentSong + kSongTrackCount) ? GetTrackEntryAt(index) : nullptr;
  if (!te) return;
  if (te[kTrackFlags] & kTrackFlagPlaysInstrument) FollowTrackInstrument(te);
  if (int8_t(te[kTrackProgram]) != gShownTrackProgram) {
    gShownTrackProgram = int8_t(te[kTrackProgram]);
    RedrawToolbarFields();
  }
  gCurrentInstrument = keptInstrument;
}

// The editor takes notes from the MIDI input (step input) while its note tool is the
// audition tool, outside section mode.
bool IsEditorModeTwo() { return gSectionMode == 0 && gNoteTool == kAuditionTool; }

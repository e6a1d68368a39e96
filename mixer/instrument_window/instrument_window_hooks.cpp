#include "mixer/instrument_window/instrument_window_hooks.h"

#include "editors/key_command_hooks.h"
#include "mixer/destinations/destination_items.h"
#include "mixer/instrument_window/strip_clicks.h"
#include "mixer/instrument_window/strip_drawing.h"
#include "mixer/instrument_window/strip_geometry.h"
#include "mixer/instrument_window/strip_values.h"
#include "mixer/meters/instrument_meters.h"
#include "mixer/window/mixer_selection.h"
#include "platform/quickdraw/ports.h"
#include "shell/drawing/drawing_ports.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/instrument_strip_layout.h"
#include "shell/windows/track_view_modes.h"
#include "shell/windows/window_clicks.h"
#include "shell/windows/window_scroll_bars.h"
#include "shell/windows/window_sizing.h"
#include "song/instruments/instrument_table.h"
#include "song/model/track_numbers.h"

namespace {

// The element's rectangle of a shown strip, in the instrument window's port (focused).
bool ShownElementRect(int32_t index, int16_t element, Rect* out) {
  AppWindow* w = GetWindowForKind(kInstrumentWindowKindId);
  if (!IsAppWindowVisible(w) || !IsStripShown(index)) return false;
  FocusAppWindow(w);
  int32_t saved = gCurrentInstrument;
  gCurrentInstrument = index;
  ElementRect(element);
  gCurrentInstrument = saved;
  *out = gScratchRect;
  return true;
}

bool MeterRect(int32_t index, Rect* meter) { return ShownElementRect(index, kStripMeter, meter); }
bool ClipRect(int32_t index, Rect* clip) { return ShownElementRect(index, kStripClip, clip); }

void RedrawElement(int32_t index, int16_t element) {
  int32_t saved = gCurrentInstrument;
  gCurrentInstrument = index;
  RedrawStripElement(element);
  gCurrentInstrument = saved;
}

// A go-to of an instrument-table entry: it becomes current, selected alone, shown and scrolled
// into view.
void ShowInstrumentStrip(int32_t index) {
  uint8_t* r = GetInstrumentRecord(index);
  if (!r) return;
  gCurrentInstrument = index;
  DeselectOtherStrips(index);
  SetStripSelected(index, true);
  if (index >= gInstrumentCount) return;
  if (r[kInstNoDisplayNumber] != 0) {
    r[kInstNoDisplayNumber] = 0;
    RebuildInstrumentState();
    SizeInstrumentWindowToContent();
  }
  if (!IsStripShown(index)) SetInstrumentScrollValue(int16_t(ReadU16BE(r + kInstDisplayNumber)));
}

void ClearStripSelection() {
  DeselectOtherStrips(-1);
  RedrawStripNames();
}

// The rack's insert slots carry no selection of their own yet: only the mixer's channel is
// chosen.
void SetMixerSelectionForGoTo(int32_t kind, int32_t item, int32_t /*slot*/) { StoreMixerSelection(kind, item); }

void RefreshTrackListForGoTo() { RefreshTrackListControl(int16_t(gCurrentTrackNumber), false); }

}  // namespace

void InstallInstrumentWindow() {
  gDestinationRoutes.setMixerSelection = SetMixerSelectionForGoTo;
  gDestinationRoutes.refreshTrackList = RefreshTrackListForGoTo;
  gDestinationRoutes.showInstrumentStrip = ShowInstrumentStrip;
  gDestinationRoutes.clearStripSelection = ClearStripSelection;
  SetWindowClickProc(kInstrumentWindowKindId, HandleInstrumentWindowClick);
  gKeyCommandHooks.scrollInstrumentWindow = ScrollInstrumentWindowByKey;
  gInstrumentMeterPlaces.meterRect = MeterRect;
  gInstrumentMeterPlaces.clipRect = ClipRect;
  gInstrumentMeterPlaces.redrawBackground = FillStripBackgroundRect;
  gInstrumentMeterPlaces.redrawElement = RedrawElement;
}

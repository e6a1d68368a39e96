#include "shell/app/window_controls.h"

#include <algorithm>

#include "editors/follow/window_refresh.h"
#include "editors/panes/pane_scrolling.h"
#include "editors/panes/timeline_scrolling.h"
#include "editors/toolbar/child_sequence_button.h"
#include "platform/quickdraw/ports.h"
#include "platform/dialogs/dialogs.h"
#include "platform/system/sys_beep.h"
#include "plugins/plugin_host_commands.h"
#include "sequencer/transport/transport_buttons.h"
#include "sequencer/transport/transport_engine.h"
#include "shell/app/app_events.h"
#include "shell/app/child_sequence_menu.h"
#include "shell/base/event_records.h"
#include "shell/dialogs/dialog_list.h"
#include "shell/dialogs/dialog_state.h"
#include "mixer/instrument_window/window_options.h"
#include "shell/dialogs/value_fields.h"
#include "shell/windows/editor_panes.h"
#include "shell/windows/track_view_buttons.h"
#include "shell/windows/track_window_scroll.h"
#include "shell/windows/window_scroll_bars.h"
#include "shell/windows/window_sizing.h"
#include "platform/windows/windows.h"

AppWindow* gControlClickWindow = nullptr;
int32_t gLiveScrollValue = 0;
ControlRef gTransportButtons[2] = {};
ControlRef gInstrumentControlRun[4] = {};
ControlRef gRemoteControlRun[5] = {};

namespace {

ControlActionUPP gLiveScrollUPP = nullptr;

struct BarCode {
  AppWindow* record;
  bool horizontal;
  int16_t code;
};

const BarCode kWindowBars[] = {
    {&gMainEditorRecord, true, kControlCodeEditorBar},      {&gSongListRecord, false, kControlCodeSongList},
    {&gInstrumentWindowRecord, true, kControlCodeInstrumentBar}, {&gEventListRecord, false, kControlCodeEventList},
    {&gRemoteControlRecord, false, kControlCodeRemoteControl}, {&gConductorListRecord, false, kControlCodeConductorList},
    {&gMarkerListRecord, false, kControlCodeMarkerList},    {&gPluginChooserRecord, false, kControlCodeChooserVertical},
    {&gPluginChooserRecord, true, kControlCodeChooserHorizontal}};

int16_t IndexIn(ControlRef control, ControlRef* run, int16_t count) {
  for (int16_t k = 0; k < count; ++k)
    if (run[k] && run[k] == control) return k;
  return -1;
}

// The window's content drawn again in its port (nothing for a window without one).
void RedrawWindowOf(AppWindow* w) {
  WindowRef window = GetAppWindowRef(w);
  if (!window) return;
  GrafPtr saved = nullptr;
  GetPort(&saved);
  SetPortWindowPort(window);
  DrawWindowContent(window, w->kind);
  if (saved) SetPort(saved);
}

void RedrawTrackWindowScroll(int16_t code) {
  if (code == kControlCodeTrackHorizontal) SetTrackWindowScroll(0);
  RedrawWindowOf(&gTrackWindowRecord);
  ChooseRefreshWindow();
}

// The action arrows and pages take: the pane and timeline bars their own, the bars made from
// 'CNTL' resources the one kept as their reference.
ControlActionUPP ArrowActionOf(ControlRef control, int16_t code) {
  if (code == kControlCodePaneBar) return ScrollVerticalAction;
  if (code == kControlCodeEditorBar) return ScrollHorizontalAction;
  if (code == kControlCodeNone) return nullptr;
  AppWindow* front = FindAppWindow(FrontNonFloatingWindow());
  bool dialogFront = gCurrentDialog && FrontNonFloatingWindow() == GetDialogWindow(gCurrentDialog);
  return front || dialogFront ? GetAppWindowControlAction(control) : nullptr;
}

// The instrument window's and the remote control's runs. Interim: the remote control's steps
// are not built, so a press in its run only tracks.
bool TrackControlRuns(ControlRef control, Point point) {
  int16_t instrument = IndexIn(control, gInstrumentControlRun, 4);
  if (instrument < 0 && IndexIn(control, gRemoteControlRun, 5) < 0) return false;
  if (TrackControl(control, point, nullptr) != kControlNoPart && instrument >= 0)
    HandleInstrumentWindowControl(instrument, control);
  return true;
}

}  // namespace

int16_t GetControlCommandCode(ControlRef control) {
  if (!control) return kControlCodeNone;
  for (int16_t k = 0; k < gEditorPaneCount; ++k) {
    if (gEditorPanes[k].scrollBar != control) continue;
    SelectEditorPane(k);
    return kControlCodePaneBar;
  }
  if (control == gTrackVScroll) return kControlCodeTrackVertical;
  if (control == gTrackHScroll) return kControlCodeTrackHorizontal;
  if (control == gDialogList.scrollBar) return kControlCodeDialogList;
  for (const BarCode& bar : kWindowBars)
    if ((bar.horizontal ? bar.record->hScrollBar : bar.record->vScrollBar) == control) return bar.code;
  return kControlCodeNone;
}

// The panes' redraw is always the live one: live is taken for every code alike.
void DispatchControlCommand(ControlPartCode part, ControlRef control, bool) {
  if (part != kControlIndicatorPart) return;
  int16_t code = GetControlCommandCode(control);
  switch (code) {
    case kControlCodeNone: SysBeep(5); return;
    case kControlCodePaneBar: ScrollVerticalAction(control, kControlIndicatorPart); return;
    case kControlCodeEditorBar: ScrollHorizontalAction(control, kControlIndicatorPart); return;
    case kControlCodeTrackVertical:
    case kControlCodeTrackHorizontal: RedrawTrackWindowScroll(code); return;
    case kControlCodeDialogList: CallDialogListScrollProc(0); return;
    case kControlCodeEventList: gEditorRedrawByte = 1; break;
    default: break;
  }
  // The list windows, and (interim: their owners are not built) the instrument window, the
  // remote control, the conductor list and the plug-in chooser, drawn again as a whole.
  if (WindowRef window = GetControlOwner(control)) {
    if (AppWindow* w = FindAppWindow(window)) RedrawWindowOf(w);
  }
}

void CallDialogListScrollProc(int32_t) {
  if (!gCurrentDialog || !gDialogList.scrollBar) return;
  HandleListScrollPart(kControlIndicatorPart, gDialogList.pageSize);
}

void LiveScrollAction(ControlRef control, ControlPartCode part) {
  if (part == kControlIndicatorPart && control) {
    int32_t value = GetControl32BitValue(control);
    value = std::clamp(value, GetControl32BitMinimum(control), GetControl32BitMaximum(control));
    if (value != gLiveScrollValue) {
      gLiveScrollValue = value;
      if (GetControl32BitValue(control) != value) SetControl32BitValue(control, value);
      DispatchControlCommand(kControlIndicatorPart, control, true);
    }
  }
  GrafPtr saved = nullptr;
  GetPort(&saved);
  RunIdleTask(true);
  if (saved) SetPort(saved);
}

ControlPartCode TrackWindowControl(ControlRef control, ControlPartCode part, Point point, EventRecord*,
                                   int16_t* paneIndexOut) {
  if (part == kControlIndicatorPart) {
    gLiveScrollValue = GetControl32BitValue(control);
    if (!gLiveScrollUPP) gLiveScrollUPP = LiveScrollAction;
    ControlActionUPP kept = GetControlAction(control);
    SetControlAction(control, gLiveScrollUPP);
    TrackControl(control, point, ControlOwnActionUPP());
    SetControlAction(control, kept);
    return kControlNoPart;
  }
  if (int16_t index = IndexIn(control, gTrackButtons, 4); index >= 0) {
    if (ControlPartCode released = TrackControl(control, point, nullptr)) StepTrackViewButton(index, released);
    return kControlNoPart;
  }
  if (int16_t index = IndexIn(control, gTransportButtons, 2); index >= 0) {
    gLastMousePoint = point;
    PressTransportButton(index);
    return kControlNoPart;
  }
  int16_t code = GetControlCommandCode(control);
  ControlActionUPP action = ArrowActionOf(control, code);
  if (TrackChildSequenceButton(control, point, paneIndexOut)) return kControlNoPart;
  if (action) {
    ControlPartCode released = TrackControl(control, point, action);
    if (code == kControlCodeInstrumentBar) SetInstrumentScrollValue(GetInstrumentScrollValue());
    return released;
  }
  if (TrackControlRuns(control, point)) return kControlNoPart;
  // Controls of no code (a window's own buttons and fields) keep their own action.
  return HandleControlClick(control, point, 0, ControlOwnActionUPP());
}

void HandleWindowControlClick(AppWindow* w, ControlPartCode part, ControlRef control, Point local,
                              EventRecord* event) {
  int16_t paneIndex = gCurrentPaneIndex;
  CommitValueFieldEdit();
  if (!w || !control || w->kind == kJukeboxKind || FindPluginWindowRecord(w->window) != 0) return;
  gControlClickWindow = w;
  ControlPartCode released = TrackWindowControl(control, part, local, event, &paneIndex);
  DispatchControlCommand(released, control, true);
  if (gEditorPaneCount > 0) SelectEditorPane(paneIndex);
  gControlClickWindow = nullptr;
}

#include "shell/app/state_dump.h"
#include "shell/app/counter_state_dump.h"
#include "shell/app/edit_state_dump.h"
#include "shell/app/editor_state_dump.h"
#include "shell/app/tempo_state_dump.h"
#include "shell/app/transport_state_dump.h"
#include "shell/app/instrument_window_state_dump.h"
#include "shell/app/track_meter_state_dump.h"
#include "editors/note_entry/editor_clicks.h"

#include <csignal>
#include <cstdlib>

#include "editors/follow/play_cursor.h"
#include "platform/events/carbon_events.h"
#include "platform/files/host_files.h"
#include "platform/controls/controls.h"
#include "platform/menus/menus.h"
#include "platform/quickdraw/screen.h"
#include "sequencer/clock/sequencer_clock.h"
#include "platform/windows/windows.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/transport/sync_source.h"
#include "shell/dialogs/dialog_alerts.h"
#include "shell/dialogs/nib_dialog.h"
#include "shell/menus/menu_bar.h"
#include "platform/quickdraw/ports.h"
#include "shell/drawing/row_metrics.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/editor_panes.h"
#include "shell/app/song_list_state_dump.h"
#include "shell/app/state_dump_notes.h"
#include "shell/windows/window_sizing.h"
#include "song/conductor/tempo_tables.h"
#include "song/conductor/timebase.h"
#include "song/documents/document_file.h"
#include "song/documents/open_dispatch.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/utility_track_access.h"

namespace {

constexpr EventTimerInterval kDumpPollSeconds = 0.1;
volatile std::sig_atomic_t gDumpWanted = 0;

std::string PascalText(ConstStr255Param s) { return std::string(reinterpret_cast<const char*>(s + 1), s[0]); }

// The song's name: a Pascal string of at most 31 characters in its header.
std::string SongName() {
  const uint8_t* name = gCurrentSong + kSongName;
  return std::string(reinterpret_cast<const char*>(name + 1), name[0] < 32 ? name[0] : 31);
}

void AppendSong(std::string* out) {
  *out += "song " + std::to_string(gCurrentSongIndex) + " " +
          (gCurrentSong ? SongName() : std::string()) + "\n";
  *out += "document " + (IsDocumentNamed() ? PascalText(gCurrentDocumentSpec.name) : std::string("-")) + "\n";
  *out += "modified " + std::to_string(gSongModified) + "\n";
  *out += "songs " + std::to_string(CountSongListRows()) + "\n";
  int32_t tracks = gCurrentSong ? GetSongTrackCount() : 0;
  *out += "tracks " + std::to_string(tracks) + "\n";
  for (int32_t i = 0; i < tracks; ++i) {
    const uint8_t* track = GetTrackEntryAt(i);
    Str255 name;
    name[0] = 0;
    if (track) GetTrackNameText(track, name);
    if (name[0] != 0) *out += "track " + std::to_string(i + 1) + " " + PascalText(name) + "\n";
    if (track) *out += "events " + std::to_string(i + 1) + " " + std::to_string(ReadU32BE(track + kTrackEventBytes)) + "\n";
  }
  *out += "tools " + std::to_string(gNoteTool) + " " + std::to_string(gLaneTool) + "\n";
}

std::string RectText(const Rect& r) {
  return std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) + " " +
         std::to_string(r.bottom);
}

void AppendWindows(std::string* out) {
  for (AppWindow* w = gAppWindowList; w; w = w->next) {
    WindowRef window = GetAppWindowRef(w);
    Rect r;
    if (!window || GetWindowBounds(window, kWindowContentRgn, &r) != noErr) continue;
    Str255 title;
    GetWTitle(window, title);
    *out += "window " + std::to_string(w->kind) + " " + (IsWindowVisible(window) ? "1 " : "0 ") +
            RectText(r) + " " + PascalText(title) + "\n";
  }
}

// The nib dialog running now: its title, when one is shown.
void AppendNibDialog(std::string* out) {
  if (!gCurrentNibDialog || !gCurrentNibDialog->window || !IsWindowVisible(gCurrentNibDialog->window))
    return;
  Str255 title;
  GetWTitle(gCurrentNibDialog->window, title);
  *out += "nibdialog " + PascalText(title) + "\n";
}

// The main editor's panes: top, and their scroll bars (shown, active, value, maximum and the
// rectangle in global coordinates).
void AppendPanes(std::string* out) {
  WindowRef editor = GetAppWindowRef(&gMainEditorRecord);
  for (int16_t k = 0; k < gEditorPaneCount && editor; ++k) {
    ControlRef bar = gEditorPanes[k].scrollBar;
    Rect r{};
    if (bar) GetControlBounds(bar, &r);
    Point topLeft{r.top, r.left}, bottomRight{r.bottom, r.right};
    QDLocalToGlobalPoint(GetWindowPort(editor), &topLeft);
    QDLocalToGlobalPoint(GetWindowPort(editor), &bottomRight);
    *out += "pane " + std::to_string(k) + " " + std::to_string(gEditorPanes[k].top) + " " +
            (bar && IsControlVisible(bar) ? "1 " : "0 ") + (bar && IsControlActive(bar) ? "1 " : "0 ") +
            std::to_string(bar ? GetControlValue(bar) : 0) + " " + std::to_string(bar ? GetControlMaximum(bar) : 0) +
            " " + RectText(Rect{topLeft.v, topLeft.h, bottomRight.v, bottomRight.h}) + "\n";
  }
}

constexpr MenuID kTransformMenuId = 430;

// A menu's title in the bar and its items where they show when it opens.
void AppendMenuPlaces(std::string* out, MenuID id) {
  MenuRef menu = GetMenuHandle(id);
  Rect title;
  if (!menu || !GetMenuTitleRect(id, &title)) return;
  Str255 text;
  GetMenuTitle(menu, text);
  *out += "menu " + std::to_string(id) + " " + RectText(title) + " " + PascalText(text) + "\n";
  Point topLeft{GetMBarHeight(), title.left};
  for (MenuItemIndex item = 1; item <= CountMenuItems(menu); ++item) {
    Rect r;
    GetMenuItemBoundsAt(menu, topLeft, item, &r);
    GetMenuItemText(menu, item, text);
    *out += "item " + std::to_string(id) + " " + std::to_string(item) + " " + RectText(r) + " " +
            PascalText(text) + "\n";
  }
}

// The File menu and the Transform menu.
void AppendFileMenu(std::string* out) {
  AppendMenuPlaces(out, kFileMenuId);
  AppendMenuPlaces(out, kTransformMenuId);
}

// The sync source, where the MIDI clock goes and the frame-rate code.
void AppendSync(std::string* out) {
  DriverProcId send = gTransportClock.midiClockSend;
  *out += "sync " + std::to_string(GetSyncSource()) + " " +
          (send == kSyncOutputsDriverProc ? "sync-outputs" : std::to_string(send)) + " " +
          std::to_string(gSmpteRateCode) + "\n";
}

// Whether the clock plays, and the song position (ticks from 1).
void AppendTransport(std::string* out) {
  *out += "transport " + std::to_string(IsClockTaskPlaying() ? 1 : 0) + " " +
          std::to_string(GetPanePlayPosition()) + "\n";
}

// Each list window's vertical scroll bar: its value and maximum (the track window's value is
// the first row drawn), and how far its right edge lies from the window's.
void AppendScrollBars(std::string* out) {
  for (AppWindow* w = gAppWindowList; w; w = w->next) {
    if (!w->vScrollBar) continue;
    Rect bar{}, port{};
    GetControlBounds(w->vScrollBar, &bar);
    GetWindowPortBounds(w->window, &port);
    *out += "scroll " + std::to_string(w->kind) + " " + std::to_string(GetControlValue(w->vScrollBar)) + " " +
            std::to_string(GetControlMaximum(w->vScrollBar)) + " " + std::to_string(port.right - bar.right) + "\n";
  }
}

// The track row height and the timebase's note values.
void AppendStartUpState(std::string* out) {
  *out += "rowheight " + std::to_string(gTrackRowHeight) + "\n";
  *out += "notevalues";
  for (int32_t ticks : gNoteValueTicks) *out += " " + std::to_string(ticks);
  *out += "\n";
}

void OnDumpSignal(int) { gDumpWanted = 1; }

void ServeDumpSignal(EventLoopTimerRef, void*) {
  if (!gDumpWanted) return;
  gDumpWanted = 0;
  WriteStateDumpIfAsked();
}

}  // namespace

std::string FormatStateDump() {
  std::string out;
  AppendSong(&out);
  const Rect& screen = (*GetMainDevice())->gdRect;
  out += "screen " + std::to_string(screen.right) + " " + std::to_string(screen.bottom) + "\n";
  AppendWindows(&out);
  AppendPanes(&out);
  AppendPaneNotes(&out);
  AppendFileMenu(&out);
  AppendNibDialog(&out);
  out += "alerts " + std::to_string(CountAlertsShown()) + " " + std::to_string(GetLastAlertId()) + "\n";
  AppendSync(&out);
  AppendTransport(&out);
  AppendPlayStateDump(&out);
  AppendTempoStateDump(&out);
  AppendScrollBars(&out);
  AppendStartUpState(&out);
  out += "open " + std::to_string(gOpenKind) + " " + std::to_string(gLastOpenResult) + "\n";
  AppendEditorState(&out);
  AppendTrackMeterState(&out);
  AppendInstrumentWindowState(&out);
  AppendCounterStateDump(&out);
  AppendSongListStateDump(&out);
  AppendEditStateDump(&out);
  return out;
}

void InstallStateDump() {
  const char* path = std::getenv("ZARIN_STATE_DUMP");
  if (!path || !*path) return;
  std::signal(SIGUSR1, OnDumpSignal);
  EventLoopTimerRef timer = nullptr;
  InstallEventLoopTimer(GetMainEventLoop(), kDumpPollSeconds, kDumpPollSeconds, ServeDumpSignal, nullptr, &timer);
  WriteStateDumpIfAsked();  // tells a waiting reader that signals are served now
}

void WriteStateDumpIfAsked() {
  const char* path = std::getenv("ZARIN_STATE_DUMP");
  if (path && *path) HostWriteFileAtomically(path, FormatStateDump());
}

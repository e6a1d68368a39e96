#include "shell/app/startup.h"
#include "shell/app/window_controls.h"

#include "shell/app/random_table_refresh.h"

#include "editors/toolbar/child_sequence_button.h"
#include "mixer/window/mixer_clicks.h"
#include "mixer/window/mixer_drawing.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "audio/devices/audio_driver.h"
#include "plugins/library/plugin_discovery.h"
#include "plugins/library/recent_plugins.h"
#include "mixer/instrument_window/window_options.h"
#include "platform/events/apple_events.h"
#include "platform/files/folders.h"
#include "platform/memory/memory.h"
#include "platform/menus/menus.h"
#include "platform/quickdraw/screen.h"
#include "platform/resources/resource_files.h"
#include "platform/resources/resource_manager.h"
#include "platform/system/gestalt.h"
#include "platform/system/host_time.h"
#include "platform/system/open_file_limit.h"
#include "platform/system/quickdraw_random.h"
#include "platform/text/pascal_strings.h"
#include "platform/threads/cooperative_threads.h"
#include "platform/windows/windows.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/midi/coremidi_driver.h"
#include "sequencer/midi/midi_utilities.h"
#include "sequencer/midi/port_instruments.h"
#include "sequencer/transport/playback_stop.h"
#include "shell/app/app_events.h"
#include "shell/app/apple_event_handlers.h"
#include "shell/app/cursor_tracking.h"
#include "shell/app/general_settings.h"
#include "shell/app/idle_tasks.h"
#include "shell/app/program_hooks.h"
#include "shell/app/song_switch.h"
#include "shell/app/window_scroll_actions.h"
#include "shell/base/app_state.h"
#include "shell/base/busy_cursor.h"
#include "shell/base/error_report.h"
#include "shell/base/fatal_stop.h"
#include "shell/base/memory_reserve.h"
#include "shell/base/preferences_file.h"
#include "shell/base/resource_files.h"
#include "shell/dialogs/poll_events.h"
#include "shell/drawing/color_helpers.h"
#include "shell/drawing/row_metrics.h"
#include "shell/drawing/screen_bounds.h"
#include "shell/drawing/track_row_font.h"
#include "shell/menus/alias_lists.h"
#include "shell/menus/menu_bar.h"
#include "shell/settings/about_window.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/editor_panes.h"
#include "shell/windows/window_appearance.h"
#include "shell/windows/window_sizing.h"
#include "song/conductor/timebase.h"
#include "song/documents/document_file.h"
#include "song/documents/document_open.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/model/song_context.h"
#include "song/model/song_database.h"
#include "song/model/song_slots.h"
#include "song/model/track_settings.h"
#include "song/prefs/outputs_file.h"
#include "song/prefs/startup_settings.h"
#include "song/prefs/window_layout.h"
#include "song/undo/undo_ring.h"

bool gStartUpComplete = false;
bool gStartUpReachedDevices = false;
int gOpenFileLimitStatus = 0;
OSStatus gMidiStartStatus = 0;

namespace {

constexpr uint32_t kOldestSystemVersion = 0x84F;
constexpr uint64_t kWantedOpenFiles = 2048;

bool CommandKeyHeld() { return (GetCurrentKeyModifiers() & cmdKey) != 0; }

void FatalUnlessCommandKey(int16_t item) {
  if (!CommandKeyHeld()) FatalResourceStop(item);
}

SInt32 Ask(OSType selector, bool* ok) {
  SInt32 response = 0;
  *ok = Gestalt(selector, &response) == noErr;
  return response;
}

void SetWhiteBackground(AppWindow* record) {
  WindowRef window = GetAppWindowRef(record);
  if (!window) return;
  RGBColor white{0xFFFF, 0xFFFF, 0xFFFF};
  SetWindowContentColor(window, &white);
}

void MakeWindow(int16_t kind, int16_t windId, AppWindow* record, uint8_t flag, int16_t style) {
  CreateAppWindow(GetWindowSlot(kind), windId, record, kind, flag, style);
  SetWhiteBackground(record);
}

// Windows whose makers are not built yet: empty windows of their kind.
void MakePlaceholder(int16_t kind, AppWindow* record, const char* title, const Rect& bounds) {
  CreatePlaceholderAppWindow(GetWindowSlot(kind), record, kind, title, bounds);
  SetWhiteBackground(record);
}

void CreateStartupWindows() {
  MakeWindow(kInfoPanelWindowKind, 350, &gInfoPanelRecord, 0, 1);
  MakeWindow(kTrackWindowKind, 353, &gTrackWindowRecord, 1, 0);
  MakeWindow(kSongListKind, 354, &gSongListRecord, 1, 0);
  MakeWindow(kInstrumentWindowKindId, 359, &gInstrumentWindowRecord, 1, 0);
  MakeInstrumentWindowControls(gInstrumentWindowRecord.window, gInstrumentControlRun);
  MakeWindow(kEventListKind, 357, &gEventListRecord, 1, 0);
  MakePlaceholder(kConductorListKind, &gConductorListRecord, "Conductor List", Rect{100, 700, 420, 1000});
  MakeWindow(kMarkerListKind, 362, &gMarkerListRecord, 1, 0);
  MakeWindow(kRemoteControlKind, 361, &gRemoteControlRecord, 1, 0);
  MakePlaceholder(kNotepadKind, &gNotepadRecord, "Notepad", Rect{160, 300, 460, 700});
  MakeWindow(kPluginChooserKind, 364, &gPluginChooserRecord, 1, 0);
  MakeWindow(kMixerKind, 365, &gMixerRecord, 1, 0);
  CreateAppWindow(&gPopUpPortWindow, 300, &gPopUpPortRecord, kPopUpPortKind, 0, 2);
}

void CreateSecondaryWindows() {
  MakePlaceholder(kDialogAppWindowKind, &gDialogWindowRecord, "Dialog", Rect{120, 200, 350, 580});
  MakePlaceholder(kLoopWindowKind, &gLoopWindowRecord, "Loop", Rect{140, 240, 260, 560});
  MakePlaceholder(kJukeboxKind, &gJukeboxRecord, "Jukebox", Rect{160, 280, 330, 470});
  MakePlaceholder(kRhythmToolKind, &gRhythmToolRecord, "Vezaze Zodaruzi", Rect{180, 320, 480, 820});
  MakePlaceholder(kKeyboardWindowKind, &gKeyboardWindowRecord, "Keyboard", Rect{620, 100, 720, 900});
  gJukeboxRecord.listedFlag = 1;
}

void ApplyStartupLayout(Handle layout) {
  // The stored frames are placed against the windows as they stand now.
  GetAvailableWindowPositioningBounds(GetMainDevice(), &gWindowLayout.screen);
  RecordWindowLayoutFromWindows(false);
  if (layout) {
    ApplyLayoutBlock(layout);
    TakeSongListSettingsFromLayout(layout);
    DisposeHandle(layout);
  }
  RestoreWindowLayout(0, 0);
  if (gWindowLayout.openBits == 0) ShowDefaultStartupWindows();
  ApplyWindowLayoutToWindows();
}

// Bit 0x01 of the song file header's byte 128 asks start-up for an instrument for every
// enabled channel of the MIDI ports; without it the instruments are only reset.
constexpr int32_t kHeaderInstrumentByte = 128;
constexpr uint8_t kHeaderPortInstruments = 0x01;
constexpr int16_t kStartupResetMode = 5;

// A table of the master alone; one kept from an earlier start in this process stays.
void CreateStartupInstrumentTable() {
  if (gInstrumentTable) return;
  Handle table = NewHandleClearWithReserve(kInstrumentSize);
  if (!table) FatalMemoryStop(MemError());
  InstallMasterOnlyTable(table);
}


}  // namespace

std::string GetAppResourcePath() {
  if (const char* path = std::getenv("ZARIN_APP_RESOURCES"); path && *path) return path;
  return GetApplicationFolder() + "/Zarin.rsrc";
}

void OpenApplicationResources() {
  std::string path = GetAppResourcePath();
  SInt16 refNum = -1;
  OSErr err = OpenAppResourceFile(path, &refNum);
  if (err != noErr || refNum == -1) {
    std::fprintf(stderr, "Zarin: cannot open the application's resource file %s (error %d).\n",
                 path.c_str(), int(err));
    std::fflush(stderr);
    std::exit(1);
  }
  gAppResFile = refNum;
}

void CheckSystemAndInstallHandlers() {
  bool ok = false;
  SInt32 hardware = Ask(gestaltHardwareAttr, &ok);
  bool hardwareBit4 = ok && (hardware & kGestaltHardwareBit4);
  if (ok && (hardware & kGestaltHardwareBit3)) gAppState[0] |= kAppWord0HardwareBit3;
  if (ok && (hardware & kGestaltHardwareBit0) && hardwareBit4) gAppState[0] |= kAppWord0ClockHardware;
  SInt32 qd = Ask(gestaltQuickdrawVersion, &ok);
  if (ok && qd > 0xFF) gAppState[0] |= kAppWord0ColourDrawing;
  else FatalUnlessCommandKey(kNoColorQuickDrawText);
  if (Ask(gestaltQuickdrawFeatures, &ok) & kGestaltQuickdrawBit1 && ok) gAppState[0] |= kAppWord0QuickDrawFeature;
  SInt32 system = Ask(gestaltSystemVersion, &ok);
  if (!ok || uint32_t(system) <= kOldestSystemVersion) {
    Str255 text;
    PLstrcpy(text, reinterpret_cast<ConstStr255Param>("\035This system is too old to run."));
    FatalErrorStop(1, text);
  }
  SInt32 sound = Ask(gestaltSoundAttr, &ok);
  if (ok && (sound & kGestaltSoundInputBits) == kGestaltSoundInputBits) gAppState[0] |= kAppWord0SoundInput;
  if (ok && (sound & kGestaltSoundPlayAndRecordBit)) gAppState[0] |= kAppWord0SoundPlayAndRecord;
  SInt32 tmgr = Ask(gestaltTimeMgrVersion, &ok);
  if (ok && tmgr > 2) SetSyncModeByte(1);
  if (ok && tmgr > 3) gAppState[0] |= kAppWord0NewTimeManager;
  if (hardwareBit4) {
    gAppState[0] |= kAppWord0ClockHardware;
    if (!CommandKeyHeld()) gAppState[0] |= kAppWord0HardwareBit4;
  }
  if (Ask(gestaltAppleEventsAttr, &ok) & kGestaltAppleEventsPresentBit && ok) {
    gAppState[0] |= kAppWord0AppleEvents;
    InstallAppleEventHandlers();
    EnableMenuCommand(nullptr, kHICommandPreferences);
  }
  if (Ask(gestaltAliasMgrAttr, &ok) & kGestaltAliasMgrPresentBit && ok) gAppState[0] |= kAppWord0DocumentAliases;
  if (Ask(gestaltVMAttr, &ok) & kGestaltVMPresentBit && ok) gAppState[0] |= kAppWord0VirtualMemory;
  if (Ask(gestaltPPCToolboxAttr, &ok) & kGestaltPPCBit4 && ok && !(GetCurrentKeyModifiers() & shiftKey))
    gAppState[4] |= kAppWord4PpcToolbox;
  // Interim: QuickTime and the Sound Manager version belong to the media and audio
  // subsystems, which are not built yet.
  SInt32 threads = Ask(gestaltThreadMgrAttr, &ok);
  const SInt32 kThreadBits = kGestaltThreadMgrPresentBit | kGestaltThreadsLibraryBit;
  if (ok && (threads & kThreadBits) == kThreadBits) {
    gAppState[1] |= kAppWord1ThreadManager;
    CreateThreadPool(kCooperativeThread, 2, 0);
  }
  if (Ask(gestaltAppearanceAttr, &ok) & kGestaltAppearancePresentBit && ok) {
    SInt32 version = Ask(gestaltAppearanceVersion, &ok);
    if (ok && version > 0x100) gAppState[1] |= kAppWord1Appearance;
    if (ok) gAppearanceVersion = uint32_t(version);
  }
  if (!IsAppearanceThemeOn()) FatalUnlessCommandKey(kNoAppearanceText);
  InitContextualMenus();
  if (gAppState[4] & kAppWord4ScriptCount) gAppState[7] = uint16_t(Ask(gestaltScriptCount, &ok) & 0xFFFF);
  gAppState[1] |= kAppWord1StartUpFlags;
  if (Ask(gestaltWindowMgrAttr, &ok) & kGestaltWindowExtendedBit && ok) gAppState[4] |= kAppWord4ExtendedWindows;
  // Interim: the drag handlers belong to drag and drop, which is not built yet.
}

namespace {

// A new workspace does not keep the closed document's instruments: it takes the table kept
// in the outputs file; without a usable one, a document's table gives way to none (as at a
// first start) while the program's own table stays. A damaged file is said; a missing one
// is not.
void TakeSavedOutputs() {
  OSErr err = ReadOutputsFile(false);
  if (err != noErr && err != fnfErr) ReportError(err);
  if (err != noErr && gInstrumentTableFromDocument) DisposeInstrumentTable();
  gInstrumentTableFromDocument = false;
}

}  // namespace

void CreateStartupInstruments() {
  bool asks = gSongFileHeader[kHeaderInstrumentByte] & kHeaderPortInstruments;
  if (!asks || CreateInstrumentsForPorts(kDeviceKindMidiPort, 0, true) == kNoPortChannelsErr)
    ResetInstrumentsForMode(kStartupResetMode);
}

void StartUpApplication(int16_t) {
  InstallProgramHooks();
  gStartUpComplete = false;
  gStartUpReachedDevices = false;
  OpenApplicationResources();
  InitWindows();
  // 1.
  gAppState[1] &= ~kAppWord1DrawingSuppressed;
  gAppState[2] = 1;
  gAppResFile = CurResFile();
  // 2.
  CheckSystemAndInstallHandlers();
  gAppState[0] |= kAppWord0ClockHardware;
  bool ok = false;
  if (Ask(gestaltWindowMgrAttr, &ok) & kGestaltWindowFloatingBit && ok) gAppState[0] |= kAppWord0FloatingWindows;
  // 3-4.
  SetQDGlobalsRandomSeed(SInt32(TickCount()));
  SpinBusyCursor();
  SetSongSlotCount(kNewDocumentSongSlots);
  // 5-6.
  MigratePreferencesFile();
  gMemoryReserve = 16384;
  ReadFontSettings();
  gMemoryReserve += 16384;
  // 7. The main editor first; the windows go away and come back on a second start, and
  // the panes with the editor.
  ClearEditorPanes();
  DisposeAllAppWindows();
  MakeWindow(kMainEditorWindowKind, 355, &gMainEditorRecord, 1, 0);
  RefreshDisplaySettings();  // the screens' bounds and depth
  // 9.
  CreateEditorChildSequenceButton();
  // 12. The splash (the about window) stays up while the program starts.
  OpenSplashWindow();
  ShowSplashWindow();
  PollEvents(updateMask);
  // 13.
  CreateStartupWindows();
  // 14. The list windows' scroll bars. Interim: the other windows' bars and controls come
  // with their owners.
  CreateWindowScrollBars();
  // 15.
  ResetSongDatabase();
  // 16-19. The transport clock: its note-off pool and tempo tables; 18: the lengths that
  // follow from the resolution and the instrument table.
  InitSequencerClock();
  ApplyTimebase();
  CreateStartupInstrumentTable();
  BuildRandomTable();
  // 20.
  CreateSecondaryWindows();
  CreateEditorPane(int16_t(gPaneTopMargin + gStandardLineHeight + 4), false, 0);
  SetUpWindowAppearance(true);
  if (IsColorDrawingOn() && !gStyleColourTable) FatalResourceStop(128);
  // 22.
  InstallMenuBar();
  // 23. The tempo of the current song into the clock; the general settings record. Interim:
  // chord and scale presets and the start-up record check belong to subsystems not built
  // yet. The idle clock task runs.
  RefreshTempo();
  ApplyGeneralSettings();
  InstallClockTimer(ClockTimerIdleProc, 1);
  gStartUpReachedDevices = true;
  // 24. The open-file limit; its result is kept apart from the MIDI start-up's.
  gOpenFileLimitStatus = RaiseOpenFileLimit(kWantedOpenFiles);
  // 25. MIDI start-up (its status is kept for the MIDI set-up notice), then the instruments
  // for the ports.
  gMidiStartStatus = MidiInit();
  CreateStartupInstruments();
  // 26. The channel shown for the current track, and the track rows follow the list font's
  // line height.
  ChooseTrackChannel();
  int16_t line = SetTrackRowFont(3);
  SetTrackRowHeight(int16_t(line + 3));
  SetNoteZoom(gVerticalZoomIndex);  // the note rows and the keyboard picture of their zoom
  // 28.
  PlaceStartupWindows();
  Handle layout = Handle();
  OSErr status = noErr;
  if (ReadPreferencesData(&layout, &status)) RestoreTransformController(&gPrefsSettings);
  // 29.
  LoadAliasList(&gSongFileList);
  // 30-31. The audio output drivers; the saved devices are chosen again; then the plug-ins
  // are found (plug-ins new to the information file are examined in the background, the idle
  // pass takes their answers) and the recent list follows the new table. Interim: the master
  // entry belongs to the mixer.
  InstallAudioDrivers(nullptr);
  ScanAllPlugins(false);
  LoadRecentPlugins();
  // 32.
  InitializeSongWorkspace(0, 0, 0);
  ApplyStartupLayout(layout);
  UpdateMixerInsertArea();
  InstallMixerDropHandler();
  LayoutEditorPanes();
  UpdateAllPaneScrollers();
  LayoutListWindowBars();
  RedrawScreen();
  for (AliasList* list : {&gMediaFileList, &gFileList5200, &gJukeboxFileList, &gImportFileList})
    LoadAliasList(list);
  // 33.
  InstallAppEventHandlers();
  // 34.
  CloseSplashWindow();
  // 34-40. Interim: plug-in rescans, insert racks, audio set-up, default instruments,
  // ReWire, the remote-control presets and the record track.
  gAppState[0] |= kAppWord0SuspendResume;
  gStartUpComplete = true;
}

void InitializeSongWorkspace(int16_t, int16_t rereadOutputs, int16_t) {
  // Interim: the editors', the remote control's and the keyboard's resets and the plug-in
  // instruments belong to subsystems not built yet.
  ResetUndoHistory();
  if (rereadOutputs) TakeSavedOutputs();
  ResetSongDatabase();
  SelectSongIndex(0);
  ResetSongPaneTable();
  ResetUndoHistory();
  RefreshAfterSongSwitch(0);
  gSongModified = 0;
}

void StartNewSongWorkspace(int16_t flag) {
  StopIfPlaying(true);
  InitializeSongWorkspace(1, flag, 1);
  ResetUndoHistory();
}

int16_t GetStartupEditorHeight(int16_t rest) {
  int32_t rowHeight = std::max<int32_t>(gTrackRowHeight, kStartupPixelsPerPaneRow);
  int32_t most = rowHeight * kStartupRowsPerPane * gLayoutPaneCount + gPaneTopMargin + 16;
  return int16_t(std::clamp<int32_t>(most, 0, std::max<int16_t>(rest, 0)));
}

void PlaceStartupWindows() {
  if (!(gAppState[0] & kAppWord0ColourDrawing) || !IsAppearanceThemeOn()) return;
  Rect area;
  GetAvailableWindowPositioningBounds(GetMainDevice(), &area);
  area.top += 4, area.left += 4, area.bottom -= 4, area.right -= 4;
  int16_t width = int16_t(area.right - area.left), height = int16_t(area.bottom - area.top);
  if (width <= 640 || height <= 480) return;
  WindowRef track = GetAppWindowRef(&gTrackWindowRecord);
  WindowRef editor = GetAppWindowRef(&gMainEditorRecord);
  WindowRef counter = GetAppWindowRef(&gInfoPanelRecord);
  constexpr int16_t kTitleBar = 22;
  int16_t counterHeight = 0;
  if (counter) {
    Rect frame;
    GetWindowBounds(counter, kWindowContentRgn, &frame);
    counterHeight = int16_t(frame.bottom - frame.top);
    SizeWindow(counter, int16_t(gInfoPanelFullWidth - 1), counterHeight, true);
  }
  int16_t trackHeight = int16_t(height / 4);
  if (track) {
    MoveWindow(track, area.left, int16_t(area.top + kTitleBar), false);
    SizeWindow(track, width, int16_t(trackHeight - kTitleBar), true);
  }
  // The editor takes the rest, less the room the counter needs below it.
  int16_t editorTop = int16_t(area.top + trackHeight + kTitleBar);
  int16_t rest = int16_t(height - trackHeight - kTitleBar - (counter ? counterHeight + 10 + kTitleBar : 0));
  int16_t editorHeight = GetStartupEditorHeight(rest);
  if (editor) {
    MoveWindow(editor, area.left, editorTop, false);
    SizeWindow(editor, width, editorHeight, true);
  }
  if (counter) {
    // The panel's title bar is at its side: the whole frame stays on the screen.
    Rect frame, content;
    GetWindowBounds(counter, kWindowStructureRgn, &frame);
    GetWindowBounds(counter, kWindowContentRgn, &content);
    int16_t left = int16_t(area.left + std::max(0, content.left - frame.left));
    MoveWindow(counter, left, int16_t(editorTop + editorHeight + 10 + kTitleBar), false);
  }
}

void ShowDefaultStartupWindows() {
  for (int16_t kind : {kInfoPanelWindowKind, kMainEditorWindowKind, kTrackWindowKind})
    SetWindowKindOpen(kind, true);
}


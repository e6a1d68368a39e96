#include "shell/app/shutdown.h"

#include <cstdio>
#include <cstdlib>

#include "audio/devices/audio_driver.h"
#include "media/background_jobs.h"
#include "plugins/library/plugin_examination.h"
#include "sequencer/clock/clock_timer.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/midi/coremidi_driver.h"
#include "sequencer/transport/playback_stop.h"
#include "shell/app/general_settings.h"
#include "shell/app/idle_tasks.h"
#include "shell/app/power_notifications.h"
#include "shell/app/startup.h"
#include "shell/base/app_state.h"
#include "shell/base/fatal_stop_hooks.h"
#include "shell/base/idle_flag.h"
#include "shell/base/preferences_file.h"
#include "shell/base/resource_files.h"
#include "shell/menus/alias_lists.h"
#include "shell/settings/about_window.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/window_appearance.h"
#include "song/prefs/preferences_writer.h"
#include "song/prefs/window_layout.h"
#include "song/undo/undo_ring.h"

namespace {
bool gShuttingDown = false;
}

void QuitApplication(int16_t exitNow) {
  if (!gShuttingDown) {
    gShuttingDown = true;
    // 1. Interim: the performance tools and the remote-control presets are not built yet.
    // 2. Idle work stops, then playback.
    SetIdleFlag(1);
    RemoveIdleTimer();
    WaitForOverviewThread();
    StopIfPlaying(false);
    // 3. Interim: the jukebox is not built yet.
    if (gStartUpComplete) {
      // 4. The general settings and the preferences file.
      SaveGeneralSettings();
      RecordWindowLayoutFromWindows(true);
      WritePreferencesFile(gClockMode);
      // 5. The window layout.
      if (gAppState[0] & kAppWord0SuspendResume) SaveWindowLayout();
    }
    // 6. The splash window and the appearance style (the font panel and the plug-in menus
    //    are not built yet).
    CloseSplashWindow();
    ReleaseAppearanceStyle();
    // 7. Only what the start-up made: the clock task, the output devices, the MIDI client
    //    and the remembered files; plug-in examinations still running are stopped.
    StopPluginExaminations();
    if (gStartUpReachedDevices) {
      RemoveClockTimer();
      CloseOutputDevices();
      MidiShutDown();
      SaveAllAliasLists();
    }
    // 8. The undo history (the clipboards and the movie list are not built yet).
    ResetUndoHistory();
    // 9. The preferences resource file.
    if (gPrefsResFile != -1) {
      CloseResFileUseApp(gPrefsResFile);
      gPrefsResFile = -1;
    }
    gShuttingDown = false;
  }
  std::fflush(stdout);
  std::fflush(stderr);
  if (exitNow != 0) std::exit(exitNow);
}

void InstallFatalStopHooks() {
  gFatalStopHooks.deregisterActiveSystemPower = DeregisterActiveSystemPower;
  gFatalStopHooks.quitApplication = QuitApplication;
}
